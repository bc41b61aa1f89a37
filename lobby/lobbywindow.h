// kestrel-lobby: the stand-in lobby window that starts the table and answers its window messages.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QWidget>

#include <memory>

#include "lobby/lobbystate.h"
#include "platform/windowbus.h"

namespace vexal {

struct LobbySettings {
    QString host = QStringLiteral("127.0.0.1");
    int port = 6000;
    QString account;
    QString password;
    QString location = QStringLiteral("Kestrel山庄一号房");
    int proxyType = 0;
    QString proxyHost;
    int proxyPort = 0;
    QString proxyUser;
    QString proxyPassword;
    bool customTitle = false;
    QString lobbyTitle;
    QString tableCaption;
    int propSwitch = 0;
    int propNumber = 0;
    // The server's account file, read for the coins and reliefs shown; empty: none.
    QString accountsFile;
    // The server's daily relief count, to tell how many are left.
    int reliefsPerDay = 3;
};

// The fifteen "$"-terminated fields. Field 5 carries a five-character room prefix the table
// drops before showing the location.
QString buildLaunchString(const LobbySettings& s);
// The title the table window registers under: the custom caption, or the table's own.
QString tableWindowTitle(const LobbySettings& s);
// What the lobby does by itself: start the table at once, and end when that table ends.
struct LobbyStart {
    bool autostart = false;
    bool quitWithTable = false;
    int reconnectAfterMs = -1;  // tests: window message 22 this long after the first deal; -1 never
};

// Reads the lobby's command-line options; unknown options are reported in `error`.
bool parseLobbyOptions(const QStringList& args, LobbySettings& s, LobbyStart& start, QString& error);

class LobbyWindow : public QWidget {
    Q_OBJECT
public:
    explicit LobbyWindow(const LobbySettings& settings, const WindowBus& bus = WindowBus());
    ~LobbyWindow() override;

    LobbySettings settings() const;
    // 进入游戏: a new table when none runs, back to the seat when the table has left it, and
    // otherwise the running table brought forward.
    void enterGame();
    // Starts a table process, whatever the lobby knows of an earlier one that has ended.
    void startTable();
    void sendToTable(uint32_t message);
    // 重新连接: window message 22, the table rejoins its seat over a new connection.
    void reconnectTable();
    // Sends 22 once, `ms` after the table next reports a deal (1127); -1 turns it off.
    void reconnectAfterDeal(int ms) { m_reconnectAfterMs = ms; }
    // Reads the account file again and shows the account's coins and reliefs.
    void refreshAccount();

    TableState tableState() const { return m_link.state(); }
    QPlainTextEdit* log() const { return m_log; }
    QLabel* coinsLabel() const { return m_coins; }
    QLabel* reliefLabel() const { return m_relief; }
    QLabel* levelLabel() const { return m_level; }
    QLabel* statusLabel() const { return m_status; }
    QPushButton* enterButton() const { return m_enter; }
    QPushButton* reconnectButton() const { return m_reconnect; }

signals:
    // The table this lobby started has ended (closed, failed or killed).
    void tableFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildAdvanced(const LobbySettings& s);
    void received(const WindowMessage& m);
    void showState();
    void showIdentity();
    void note(const QString& line);

    WindowBus m_bus;
    std::unique_ptr<BusWindow> m_busWindow;
    TableLink m_link;
    QString m_accountsFile;
    int m_reliefsPerDay = 3;
    // The server replaces the file (a new one renamed over it) after each settlement and relief:
    // its folder changes.
    QFileSystemWatcher m_accountsWatcher;

    // What a player sees.
    QLabel* m_avatar;
    QLabel* m_name;
    QLabel* m_coins;
    QLabel* m_relief;
    QLabel* m_level;
    QLabel* m_room;
    QLabel* m_server;
    QLabel* m_status;
    QPushButton* m_enter;
    QToolButton* m_advancedToggle;
    QWidget* m_advanced;

    // The developer's settings, behind 高级.
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_account;
    QLineEdit* m_password;
    QLineEdit* m_location;
    QComboBox* m_proxyType;
    QLineEdit* m_proxyHost;
    QSpinBox* m_proxyPort;
    QLineEdit* m_proxyUser;
    QLineEdit* m_proxyPassword;
    QCheckBox* m_customTitle;
    QLineEdit* m_lobbyTitle;
    QLineEdit* m_caption;
    QCheckBox* m_propSwitch;
    QSpinBox* m_propNumber;
    QPushButton* m_reconnect;
    QPlainTextEdit* m_log;
    QProcess m_table;
    int m_reconnectAfterMs = -1;
};

}  // namespace vexal
