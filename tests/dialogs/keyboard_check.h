#pragma once
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

// The letter after a single "&" in a caption, or nothing.
inline QChar Mnemonic(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] != u'&') return caption[i + 1].toLower();
        ++i;
    }
    return {};
}

// Every button and check box has an Alt+letter key, no two controls share one (frames and
// labels that lead to a field count too), and Tab reads the window top to bottom, left to right:
// the next control is on a lower row, on the same row further right, or in the next frame to the right.
inline void ExpectKeyboardReachable(QWidget& window) {
    QMap<QChar, QString> owner;
    auto take = [&](QChar key, const QString& caption) {
        if (key.isNull()) return;
        EXPECT_FALSE(owner.contains(key)) << "Alt+" << QString(key).toStdString() << ": " << owner.value(key).toStdString() << " and "
                                          << caption.toStdString();
        owner[key] = caption;
    };
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty()) continue;  // a table's corner button
        EXPECT_FALSE(Mnemonic(b->text()).isNull()) << b->text().toStdString();
        take(Mnemonic(b->text()), b->text());
    }
    for (QGroupBox* g : window.findChildren<QGroupBox*>()) take(Mnemonic(g->title()), g->title());
    for (QLabel* l : window.findChildren<QLabel*>())
        if (l->buddy()) take(Mnemonic(l->text()), l->text());

    QList<QWidget*> chain;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain())
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && w->window() == &window) chain << w;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget *a = chain[i - 1], *b = chain[i];
        const QPoint pa = a->mapTo(&window, QPoint()), pb = b->mapTo(&window, QPoint());
        const bool nextFrame = a->parentWidget() != b->parentWidget() && qobject_cast<QGroupBox*>(b->parentWidget()) &&
                               b->parentWidget()->x() > a->parentWidget()->x();
        const bool sameRow = std::abs(pb.y() - pa.y()) < std::min(a->height(), b->height()) / 2;
        EXPECT_TRUE(nextFrame || (sameRow ? pb.x() > pa.x() : pb.y() > pa.y()))
            << a->objectName().toStdString() << " before " << b->objectName().toStdString();
    }
}

