// kestrel-lobby: the stand-in lobby window that starts the table and answers its window messages.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSpinBox>
#include <QWidget>

#include <memory>

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
};

// Reads the lobby's command-line options; unknown options are reported in `error`.
bool parseLobbyOptions(const QStringList& args, LobbySettings& s, LobbyStart& start, QString& error);

class LobbyWindow : public QWidget {
    Q_OBJECT
public:
    explicit LobbyWindow(const LobbySettings& settings, const WindowBus& bus = WindowBus());
    ~LobbyWindow() override;

    LobbySettings settings() const;
    void startTable();
    void sendToTable(uint32_t message);
    QPlainTextEdit* log() const { return m_log; }

signals:
    // The table this lobby started has ended (closed, failed or killed).
    void tableFinished();

private:
    void received(const WindowMessage& m);
    void note(const QString& line);

    WindowBus m_bus;
    std::unique_ptr<BusWindow> m_busWindow;
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
    QPlainTextEdit* m_log;
    QProcess m_table;
};

}  // namespace vexal
