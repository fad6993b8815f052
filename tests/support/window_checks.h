#pragma once
// What a person meets in a window, found by walking its controls: two controls
// on one Alt+letter, a button without one, a caption cut off, controls on top
// of one another. Each finding is a line naming the window and the control.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace window_checks {

inline QString NameOf(const QObject* o) {
    const QString name = o->objectName();
    return name.isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : name;
}

inline QString Plain(QString text) {
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return text;
}

// The controls a person sees in this window (not those of windows inside it).
inline QList<QWidget*> Shown(QWidget* window) {
    QList<QWidget*> shown;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() == window && w->isVisibleTo(window)) shown << w;
    }
    return shown;
}

inline QString MnemonicOf(QWidget* w) {
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        text = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
        text = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        text = g->title();
    return QKeySequence::mnemonic(text).toString();
}

// OK and Cancel answer Enter and Esc.
inline bool AnswersEnterOrEsc(const QAbstractButton* b) {
    const QString text = Plain(b->text());
    return text == QLatin1String("OK") || text == QLatin1String("Cancel");
}

inline bool IsField(const QWidget* w) {
    return w->inherits("QLineEdit") || w->inherits("QComboBox") || w->inherits("QPlainTextEdit") ||
           w->inherits("QTextEdit") || w->inherits("QAbstractSpinBox") || w->inherits("QAbstractItemView");
}

// An option of a frame whose caption has a key: the key, then the arrow keys.
inline bool ReachedThroughItsFrame(const QWidget* w) {
    auto* frame = qobject_cast<const QGroupBox*>(w->parentWidget());
    return w->inherits("QRadioButton") && frame && !QKeySequence::mnemonic(frame->title()).isEmpty();
}

// A caption just left of a field, or just above it, names that field.
inline bool CaptionsAField(const QLabel* label) {
    const QRect caption = label->geometry();
    for (const QObject* o : label->parentWidget()->children()) {
        auto* w = qobject_cast<const QWidget*>(o);
        if (!w || w == label || !IsField(w) || !w->isVisibleTo(label->window())) continue;
        const QRect field = w->geometry();
        const int gap = 2 * label->fontMetrics().averageCharWidth() + 4;
        const bool beside = field.left() >= caption.right() - 2 && field.left() - caption.right() <= gap &&
                            std::abs(field.center().y() - caption.center().y()) <= caption.height();
        const bool above = field.top() >= caption.bottom() - 2 && field.top() - caption.bottom() <= gap &&
                           std::abs(field.left() - caption.left()) <= gap;
        if (beside || above) return true;
    }
    return false;
}

// Two controls on one key; 'everyButton': a push button, check box, option or
// field caption without a key (OK and Cancel aside), except those named in
// 'keyless' (no letter of theirs is free).
inline QStringList AcceleratorFindings(QWidget* window, bool everyButton = true, const QStringList& keyless = {}) {
    QStringList found;
    QHash<QString, QString> owner;
    for (QWidget* w : Shown(window)) {
        if (auto* l = qobject_cast<QLabel*>(w); everyButton && l && !l->buddy() && !l->text().isEmpty() &&
                                                !keyless.contains(w->objectName()) && CaptionsAField(l))
            found << QStringLiteral("%1: caption %2 gives its field no Alt key").arg(NameOf(window), NameOf(w));
        const QString key = MnemonicOf(w);
        if (!key.isEmpty()) {
            if (owner.contains(key))
                found << QStringLiteral("%1: %2 and %3 share %4").arg(NameOf(window), owner[key], NameOf(w), key);
            else
                owner.insert(key, NameOf(w));
        } else if (everyButton && qobject_cast<QAbstractButton*>(w) &&
                   !qobject_cast<QAbstractButton*>(w)->text().isEmpty() && !ReachedThroughItsFrame(w) &&
                   !AnswersEnterOrEsc(static_cast<QAbstractButton*>(w)) && !keyless.contains(w->objectName())) {
            found << QStringLiteral("%1: %2 has no Alt key").arg(NameOf(window), NameOf(w));
        }
    }
    return found;
}

inline QStringList MenuAcceleratorFindings(QMenu* menu) {
    QStringList found;
    QHash<QString, QString> owner;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        const QString key = QKeySequence::mnemonic(a->text()).toString();
        if (key.isEmpty())
            found << QStringLiteral("%1: \"%2\" has no Alt key").arg(NameOf(menu), a->text());
        else if (owner.contains(key))
            found << QStringLiteral("%1: \"%2\" and \"%3\" share %4").arg(NameOf(menu), owner[key], a->text(), key);
        else
            owner.insert(key, a->text());
        if (a->menu()) found << MenuAcceleratorFindings(a->menu());
    }
    return found;
}

// Where a control draws: a left-aligned caption, check box or option ends with its text.
inline QRect InkRect(const QWidget* w) {
    QRect r = w->geometry();
    auto* label = qobject_cast<const QLabel*>(w);
    const bool leftText = (label && !label->wordWrap() && (label->alignment() & Qt::AlignLeft)) ||
                          w->inherits("QCheckBox") || w->inherits("QRadioButton");
    if (leftText) {
        r.setWidth(std::min(r.width(), w->sizeHint().width()));
        const int line = w->fontMetrics().height();  // the text's line; a radio's indicator is smaller
        if (line < r.height()) r = QRect(r.left(), r.center().y() - line / 2, r.width(), line);
    }
    return r;
}

// A caption that does not fit its control, or two controls lying on one another.
inline QStringList CaptionFindings(QWidget* window) {
    QStringList found;
    auto cut = [&](QWidget* w, const QString& text, int need, int room) {
        if (need > room)
            found << QStringLiteral("%1: %2 \"%3\" needs %4 px, has %5")
                         .arg(NameOf(window), NameOf(w), text)
                         .arg(need)
                         .arg(room);
    };
    const QList<QWidget*> shown = Shown(window);
    for (QWidget* w : shown) {
        const QFontMetrics fm = w->fontMetrics();
        if (auto* l = qobject_cast<QLabel*>(w);
            l && !l->text().isEmpty() && l->textFormat() != Qt::RichText && !Qt::mightBeRichText(l->text())) {
            const QString text = l->buddy() ? Plain(l->text()) : l->text();
            if (l->wordWrap()) {
                cut(w, text, l->heightForWidth(l->width()), l->height());
            } else if (l->objectName() != QLatin1String("Panel1")) {  // the status hint ends in "…" by design
                const int frame = 2 * (l->frameWidth() + l->margin()) + l->indent();
                cut(w, text, fm.horizontalAdvance(text) + frame, l->width());
                cut(w, text, fm.ascent() + fm.descent() + 2 * l->frameWidth(), l->height());
            }
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            auto* b = static_cast<QAbstractButton*>(w);
            if (!b->text().isEmpty()) cut(w, Plain(b->text()), b->sizeHint().width(), b->width());
        } else if (auto* b = qobject_cast<QPushButton*>(w); b && !b->text().isEmpty()) {
            const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
            cut(w, Plain(b->text()), fm.horizontalAdvance(Plain(b->text())) + margin, b->width());
        } else if (auto* g = qobject_cast<QGroupBox*>(w); g && !g->title().isEmpty()) {
            cut(w, Plain(g->title()), fm.horizontalAdvance(Plain(g->title())) + fm.averageCharWidth(), g->width());
        } else if (auto* c = qobject_cast<QComboBox*>(w); c && !c->currentText().isEmpty()) {
            QStyleOptionComboBox option;
            option.initFrom(c);
            option.editable = c->isEditable();
            const QRect field =
                c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c);
            cut(w, c->currentText(), fm.horizontalAdvance(c->currentText()), field.width());
        }
    }
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j) {
            QWidget* a = shown[i];
            QWidget* b = shown[j];
            if (a->parentWidget() != b->parentWidget() || a->parentWidget()->inherits("QAbstractScrollArea")) continue;
            if (a->parentWidget()->inherits("QComboBox") || a->parentWidget()->inherits("QAbstractSpinBox")) continue;
            if (InkRect(a).intersects(InkRect(b)))
                found << QStringLiteral("%1: %2 and %3 overlap").arg(NameOf(window), NameOf(a), NameOf(b));
        }
    }
    return found;
}

// Stricter: every control that takes input is reached by a key of its own,
// through the caption that names it, or through its frame ('exempt': reached
// by Enter, Esc or Tab).
inline QStringList UnreachedControls(QWidget* window, const QStringList& exempt = {}) {
    auto isControl = [](QWidget* w) {
        const bool part = w->parentWidget() &&
                          (w->parentWidget()->inherits("QComboBox") || w->parentWidget()->inherits("QAbstractSpinBox"));
        return !part && !w->inherits("QToolButton") &&
               (w->inherits("QAbstractButton") || w->inherits("QComboBox") || w->inherits("QAbstractSpinBox") ||
                w->inherits("QListWidget") || w->inherits("QLineEdit"));
    };
    QList<QWidget*> reached;
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        if (QKeySequence::mnemonic(frame->title()).isEmpty()) continue;
        QList<QWidget*> inside;
        for (QWidget* w : frame->findChildren<QWidget*>())
            if (isControl(w)) inside << w;
        for (QRadioButton* option : frame->findChildren<QRadioButton*>()) reached << option;
        if (inside.size() == 1) reached << inside.first();
    }
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy() && !QKeySequence::mnemonic(label->text()).isEmpty()) reached << label->buddy();
    QStringList found;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (button && !QKeySequence::mnemonic(button->text()).isEmpty()) continue;
        if (isControl(w) && !exempt.contains(w->objectName()) && !reached.contains(w))
            found << NameOf(w) + QStringLiteral(" has no letter");
    }
    return found;
}

// Tab reads the window top to bottom, left to right: the next control is on a
// lower row, on the same row further right, or in the next frame to the right.
inline QStringList TabOrderFindings(QWidget* window) {
    QList<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && w->window() == window) chain << w;
    QStringList found;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget *a = chain[i - 1], *b = chain[i];
        const QPoint pa = a->mapTo(window, QPoint()), pb = b->mapTo(window, QPoint());
        const bool nextFrame = a->parentWidget() != b->parentWidget() && qobject_cast<QGroupBox*>(b->parentWidget()) &&
                               b->parentWidget()->x() > a->parentWidget()->x();
        const bool sameRow = std::abs(pb.y() - pa.y()) < std::min(a->height(), b->height()) / 2;
        if (!(nextFrame || (sameRow ? pb.x() > pa.x() : pb.y() > pa.y())))
            found << QStringLiteral("%1 before %2").arg(NameOf(a), NameOf(b));
    }
    return found;
}

}  // namespace window_checks
