// CLumetPropPage: the "General" property page of the gauge, where a form
// designer edits the bevel styles and widths and the border width of one or
// more gauges.
#ifndef LUMETPROPPAGE_H
#define LUMETPROPPAGE_H

#include "lumet32.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class CLumetCtrl;
class QComboBox;
class QLineEdit;

class LUMET32_EXPORT CLumetPropPage : public QWidget
{
    Q_OBJECT

public:
    // Control ids of the page's dialog template; control(id) finds them.
    enum ControlId {
        IDC_OUTERSTYLE = 201,
        IDC_INNERSTYLE = 202,
        IDC_BARSTYLE = 204,
        IDC_OUTERWIDTH = 206,
        IDC_BORDERWIDTH = 208,
        IDC_INNERWIDTH = 210,
        IDC_BARWIDTH = 213,
    };

    explicit CLumetPropPage(QWidget *parent = nullptr);
    ~CLumetPropPage() override;

    // The tab caption a host shows for this page.
    static QString caption();

    // The gauges the page edits; the first one supplies the values shown.
    void SetObjects(const QList<CLumetCtrl *> &controls);
    QList<CLumetCtrl *> objects() const;

    // false: controls to page variables to widgets. true: widgets to page
    // variables, with validation; on a failure the message is shown, the
    // focus returns to the box and false is returned.
    bool UpdateData(bool saveAndValidate);
    // Validates and writes the page's values to every gauge it edits.
    bool Apply();

    QWidget *control(int id) const;
    // The page's exchange variable bound to a control id (style or width).
    int value(int id) const;

    // Where validation messages go; by default a warning message box.
    using MessageHook = std::function<void(QWidget *page, const QString &text)>;
    static void setMessageHook(MessageHook hook);

Q_SIGNALS:
    // The user edited a value, so a host can enable its Apply button.
    void Changed();

private:
    struct Binding;
    static const Binding Bindings[];
    QComboBox *addStyleList(int id, const char *name, int x, int y);
    QLineEdit *addWidthBox(int id, const char *name, int x, int y);
    void addLabel(const QString &text, int x, int y, int width, Qt::Alignment align);
    QRect dialogRect(int x, int y, int w, int h) const;
    int &variable(int id);
    bool fail(QWidget *box, const QString &message);

    QList<QPointer<CLumetCtrl>> m_controls;
    // Exchange variables; the styles start at -1 (no selection), the widths at 0.
    int m_bevelBar = -1;
    int m_bevelWidthBar = 0;
    int m_bevelInner = -1;
    int m_bevelWidthInner = 0;
    int m_bevelOuter = -1;
    int m_bevelWidthOuter = 0;
    int m_borderWidth = 0;
    int m_baseX = 6; // dialog base units of the page font
    int m_baseY = 13;
};

#endif // LUMETPROPPAGE_H
