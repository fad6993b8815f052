#include "lumetproppage.h"

#include "lumetctrl.h"
#include "lumetobjects.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace {

CLumetPropPage::MessageHook &messageHook()
{
    static CLumetPropPage::MessageHook hook;
    return hook;
}

int mulDiv(int a, int b, int c)
{
    return int((qint64(a) * b + c / 2) / c);
}

constexpr int MinWidth = 0;
constexpr int MaxWidth = 99;

} // namespace

struct CLumetPropPage::Binding
{
    int id;
    int dispid;
    bool list;
};

// The exchange order: each style with its width, bar first, border last.
const CLumetPropPage::Binding CLumetPropPage::Bindings[] = {
    { IDC_BARSTYLE, CLumetCtrl::DispBevelBar, true },
    { IDC_BARWIDTH, CLumetCtrl::DispBevelWidthBar, false },
    { IDC_INNERSTYLE, CLumetCtrl::DispBevelInner, true },
    { IDC_INNERWIDTH, CLumetCtrl::DispBevelWidthInner, false },
    { IDC_OUTERSTYLE, CLumetCtrl::DispBevelOuter, true },
    { IDC_OUTERWIDTH, CLumetCtrl::DispBevelWidthOuter, false },
    { IDC_BORDERWIDTH, CLumetCtrl::DispBorderWidth, false },
};

CLumetPropPage::CLumetPropPage(QWidget *parent)
    : QWidget(parent)
{
    Lumet::objectCreated();
    setObjectName(QStringLiteral("LumetPropPage"));
    setWindowTitle(caption());
    QFont pageFont(QStringLiteral("MS Sans Serif"));
    pageFont.setPointSize(8);
    pageFont.setStyleHint(QFont::SansSerif);
    setFont(pageFont);
    // Dialog base units of the page font: average letter width and line height.
    const QFontMetrics fm(font());
    const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (letters / 26 + 1) / 2);
    m_baseY = std::max(1, fm.height());

    setFixedSize(dialogRect(0, 0, 250, 110).size());

    addLabel(tr("Border Width:"), 88, 10, 54, Qt::AlignRight);
    addWidthBox(IDC_BORDERWIDTH, "TxtBorderWidth", 144, 8);
    addLabel(tr("Pixels"), 180, 10, 24, Qt::AlignLeft);

    auto *group = new QGroupBox(tr("Bevel Styles"), this);
    group->setObjectName(QStringLiteral("FrmBevelStyles"));
    group->setGeometry(dialogRect(4, 24, 208, 76));

    addLabel(tr("Outer Style:"), 10, 42, 44, Qt::AlignLeft);
    addStyleList(IDC_OUTERSTYLE, "CboOuterStyle", 56, 40);
    addLabel(tr("Width:"), 112, 42, 30, Qt::AlignRight);
    addWidthBox(IDC_OUTERWIDTH, "TxtOuterWidth", 144, 40);
    addLabel(tr("Pixels"), 180, 42, 24, Qt::AlignLeft);

    addLabel(tr("Inner Style:"), 10, 62, 44, Qt::AlignLeft);
    addStyleList(IDC_INNERSTYLE, "CboInnerStyle", 56, 61);
    addLabel(tr("Width:"), 112, 62, 30, Qt::AlignRight);
    addWidthBox(IDC_INNERWIDTH, "TxtInnerWidth", 144, 60);
    addLabel(tr("Pixels"), 180, 62, 24, Qt::AlignLeft);

    addLabel(tr("Bar Style:"), 10, 82, 44, Qt::AlignLeft);
    addStyleList(IDC_BARSTYLE, "CboBarStyle", 56, 80);
    addLabel(tr("Width:"), 112, 82, 30, Qt::AlignRight);
    addWidthBox(IDC_BARWIDTH, "TxtBarWidth", 144, 80);
    addLabel(tr("Pixels"), 180, 82, 24, Qt::AlignLeft);

    UpdateData(false);
}

CLumetPropPage::~CLumetPropPage()
{
    Lumet::objectDestroyed();
}

QString CLumetPropPage::caption()
{
    return QStringLiteral("General");
}

QRect CLumetPropPage::dialogRect(int x, int y, int w, int h) const
{
    return QRect(mulDiv(x, m_baseX, 4), mulDiv(y, m_baseY, 8), mulDiv(w, m_baseX, 4), mulDiv(h, m_baseY, 8));
}

void CLumetPropPage::addLabel(const QString &text, int x, int y, int width, Qt::Alignment align)
{
    auto *label = new QLabel(text, this);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setGeometry(dialogRect(x, y, width, 8));
}

QComboBox *CLumetPropPage::addStyleList(int id, const char *name, int x, int y)
{
    auto *list = new QComboBox(this);
    list->setObjectName(QLatin1String(name));
    list->setProperty("controlId", id);
    list->addItems({ tr("None"), tr("Raised"), tr("Inset"), tr("Lowered"), tr("Solid") });
    list->setGeometry(dialogRect(x, y, 52, 12));
    connect(list, &QComboBox::activated, this, &CLumetPropPage::Changed);
    return list;
}

QLineEdit *CLumetPropPage::addWidthBox(int id, const char *name, int x, int y)
{
    auto *box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    box->setProperty("controlId", id);
    box->setGeometry(dialogRect(x, y, 32, 12));
    connect(box, &QLineEdit::textEdited, this, &CLumetPropPage::Changed);
    return box;
}

QWidget *CLumetPropPage::control(int id) const
{
    for (QWidget *w : findChildren<QWidget *>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

int &CLumetPropPage::variable(int id)
{
    switch (id) {
    case IDC_BARSTYLE:
        return m_bevelBar;
    case IDC_BARWIDTH:
        return m_bevelWidthBar;
    case IDC_INNERSTYLE:
        return m_bevelInner;
    case IDC_INNERWIDTH:
        return m_bevelWidthInner;
    case IDC_OUTERSTYLE:
        return m_bevelOuter;
    case IDC_OUTERWIDTH:
        return m_bevelWidthOuter;
    default:
        return m_borderWidth;
    }
}

int CLumetPropPage::value(int id) const
{
    return const_cast<CLumetPropPage *>(this)->variable(id);
}

void CLumetPropPage::SetObjects(const QList<CLumetCtrl *> &controls)
{
    m_controls.clear();
    for (CLumetCtrl *c : controls)
        if (c)
            m_controls.append(c);
    UpdateData(false);
}

QList<CLumetCtrl *> CLumetPropPage::objects() const
{
    QList<CLumetCtrl *> list;
    for (const QPointer<CLumetCtrl> &c : m_controls)
        if (c)
            list.append(c);
    return list;
}

void CLumetPropPage::setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

bool CLumetPropPage::fail(QWidget *box, const QString &message)
{
    if (messageHook())
        messageHook()(this, message);
    else
        QMessageBox::warning(this, tr("Korvin LuMet Property Page"), message);
    box->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        edit->selectAll();
    return false;
}

bool CLumetPropPage::UpdateData(bool saveAndValidate)
{
    const QList<CLumetCtrl *> controls = objects();
    for (const Binding &b : Bindings) {
        int &var = variable(b.id);
        QWidget *w = control(b.id);
        if (!saveAndValidate) {
            if (!controls.isEmpty())
                var = controls.first()->GetProperty(b.dispid).toInt();
            if (b.list)
                static_cast<QComboBox *>(w)->setCurrentIndex(CLumetCtrl::isValidBevel(var) ? var : -1);
            else
                static_cast<QLineEdit *>(w)->setText(QString::number(var));
            continue;
        }
        if (b.list) {
            var = static_cast<QComboBox *>(w)->currentIndex();
            continue;
        }
        bool ok = false;
        const int n = static_cast<QLineEdit *>(w)->text().trimmed().toInt(&ok);
        if (!ok)
            return fail(w, tr("Please enter an integer."));
        if (n < MinWidth || n > MaxWidth)
            return fail(w, tr("Please enter an integer between %1 and %2.").arg(MinWidth).arg(MaxWidth));
        var = n;
    }
    return true;
}

bool CLumetPropPage::Apply()
{
    if (!UpdateData(true))
        return false;
    for (CLumetCtrl *c : objects()) {
        for (const Binding &b : Bindings) {
            const int var = variable(b.id);
            // A list without a selection has no style to give.
            if (b.list && var < 0)
                continue;
            c->SetProperty(b.dispid, var);
        }
    }
    return true;
}
