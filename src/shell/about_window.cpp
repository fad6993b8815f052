#include "about_window.h"

#include "twips.h"
#include "window_opener.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tessaly::shell {

AboutWindow::AboutWindow(const QString& version, QWidget* parent) : QWidget(parent, kFixedDialogFlags) {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("About Tessaly"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(ToPixels(720), ToPixels(720)));

    LblProduct = new QLabel(QStringLiteral("Tessaly"), this);
    LblProduct->setObjectName(QStringLiteral("LblProduct"));
    QFont big = LblProduct->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    LblProduct->setFont(big);
    LblVersion = new QLabel(QStringLiteral("Version ") + version, this);
    LblVersion->setObjectName(QStringLiteral("LblVersion"));
    LblVersion->setTextFormat(Qt::PlainText);
    LblNotice = new QLabel(QStringLiteral("A card file of people and companies: browse, find, filter, copy, dial, "
                                          "import and back up your contacts."),
                           this);
    LblNotice->setObjectName(QStringLiteral("LblNotice"));
    LblNotice->setWordWrap(true);
    LblNotice->setMinimumWidth(ToPixels(3600));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnOK->setMinimumSize(ToPixels(1215), ToPixels(375));
    connect(BtnOK, &QPushButton::clicked, this, &QWidget::close);

    auto* texts = new QVBoxLayout;
    texts->addWidget(LblProduct);
    texts->addWidget(LblVersion);
    texts->addSpacing(ToPixels(120));
    texts->addWidget(LblNotice);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* window = new QVBoxLayout(this);
    window->setSizeConstraint(QLayout::SetFixedSize);
    window->addLayout(top);
    window->addWidget(BtnOK, 0, Qt::AlignHCenter);
}

void AboutWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(e);
}

}  // namespace tessaly::shell
