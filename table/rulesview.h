// `RulesView`: the 规则 button's side of the table. The game's information page opens in the
// machine's browser; where no browser opens it, the table shows the rules page shipped with the
// client in a window of its own, which it owns.
#pragma once

#include <QObject>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>

namespace vexal {

class MainForm;

// The address of the game's information page on the operator's host.
QUrl rulesPageAddress(const std::string& host);

// The rules page compiled into the client (Markdown).
QString shippedRulesPage();

// The window that shows the shipped page: a title line, the page and a close button.
class RulesWindow : public QWidget {
    Q_OBJECT
public:
    explicit RulesWindow(QWidget* parent);
    QTextBrowser* page;
    QPushButton* close;
};

class RulesView : public QObject {
    Q_OBJECT
public:
    // Opens an address in a browser and says whether one took it.
    using Opener = std::function<bool(const QUrl&)>;

    RulesView(MainForm& form, Opener openInBrowser);
    ~RulesView() override;

    // The 规则 button: the page in the browser when one opens it; otherwise the own window is shown,
    // or hidden when it is shown already.
    void rulesPressed(const QUrl& page);
    void hideWindow();
    RulesWindow* window() const { return m_window; }

    // Where the window goes, in table units: over the upper table, wholly above the own hand, its
    // controls and the own clock, so that it never hides them during the own turn.
    static QRectF area();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    MainForm& m_form;
    Opener m_open;
    RulesWindow* m_window;
};

}  // namespace vexal
