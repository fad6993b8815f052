#pragma once
// Checks that a window can be worked with Alt+letter keys: every button, check
// box, option and field has a letter of its own (a field through the caption
// that names it as buddy, an option or a frame's only field through its frame).
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QRadioButton>

// What is wrong with the window's letters: each clash, each control without one.
// 'exempt' names controls (by object name) that are reached otherwise (Enter, Esc, Tab).
// A control of its own (not the line edit inside a list or a number box).
inline bool IsKeyControl(QWidget* w) {
    const bool part = w->parentWidget() && (w->parentWidget()->inherits("QComboBox") || w->parentWidget()->inherits("QAbstractSpinBox"));
    return !part && !w->inherits("QToolButton") &&
           (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
            qobject_cast<QListWidget*>(w) || qobject_cast<QLineEdit*>(w));
}

inline QStringList KeyProblems(QWidget* window, const QStringList& exempt = {}) {
    QStringList problems;
    QMap<QKeySequence, QString> owners;
    QList<QWidget*> reached;
    auto take = [&](const QString& text, QWidget* target, const QString& what) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (key.isEmpty()) return false;
        if (owners.contains(key)) problems << QStringLiteral("%1 and %2 share %3").arg(owners[key], what, key.toString());
        owners[key] = what;
        reached << target;
        return true;
    };
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        QList<QWidget*> inside;
        for (QWidget* w : frame->findChildren<QWidget*>())
            if (IsKeyControl(w)) inside << w;
        if (!take(frame->title(), frame, frame->title().trimmed())) continue;
        // The frame's letter goes to its options (then the arrow keys), or to its only field.
        for (QRadioButton* option : frame->findChildren<QRadioButton*>()) reached << option;
        if (inside.size() == 1) reached << inside.first();
    }
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->text().contains(u'&')) {
            if (!label->buddy()) problems << QStringLiteral("\"%1\" names no field").arg(label->text());
            else take(label->text(), label->buddy(), label->text());
        }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty()) take(button->text(), button, button->text());
    for (QWidget* w : window->findChildren<QWidget*>())
        if (IsKeyControl(w) && !exempt.contains(w->objectName()) && !reached.contains(w))
            problems << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName()) +
                            QStringLiteral(" has no letter");
    return problems;
}
