#include "lobby/lobbywindow.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <variant>

namespace vexal {

namespace {
const QString kLobbyWindowTitle = QStringLiteral("Kestrel山庄");
}

QString buildLaunchString(const LobbySettings& s) {
    const QStringList fields = {s.account,
                                s.password,
                                s.host,
                                QString::number(s.port),
                                QStringLiteral("00001") + s.location,
                                QString::number(s.proxyType),
                                s.proxyHost,
                                QString::number(s.proxyPort),
                                s.proxyUser,
                                s.proxyPassword,
                                s.customTitle ? QStringLiteral("1") : QStringLiteral("0"),
                                s.lobbyTitle,
                                s.tableCaption,
                                QString::number(s.propSwitch),
                                QString::number(s.propNumber)};
    QString line;
    for (const QString& f : fields)
        line += f + QLatin1Char('$');
    return line;
}

QString tableWindowTitle(const LobbySettings& s) {
    return s.customTitle ? s.tableCaption : QStringLiteral("Vexal");
}

bool parseLobbyOptions(const QStringList& args, LobbySettings& s, LobbyStart& start, QString& error) {
    start = LobbyStart{};
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--autostart")) {
            start.autostart = true;
            continue;
        }
        if (a == QLatin1String("--quit-with-table")) {
            start.quitWithTable = true;
            continue;
        }
        if (a == QLatin1String("--custom-title")) {
            s.customTitle = true;
            continue;
        }
        // Every option with a value, and the setting it fills.
        using Field = std::variant<QString LobbySettings::*, int LobbySettings::*>;
        static const std::pair<const char*, Field> kValued[] = {
            {"--host", &LobbySettings::host},
            {"--port", &LobbySettings::port},
            {"--account", &LobbySettings::account},
            {"--password", &LobbySettings::password},
            {"--location", &LobbySettings::location},
            {"--proxy-type", &LobbySettings::proxyType},
            {"--proxy-host", &LobbySettings::proxyHost},
            {"--proxy-port", &LobbySettings::proxyPort},
            {"--proxy-user", &LobbySettings::proxyUser},
            {"--proxy-password", &LobbySettings::proxyPassword},
            {"--lobby-title", &LobbySettings::lobbyTitle},
            {"--caption", &LobbySettings::tableCaption},
            {"--prop-switch", &LobbySettings::propSwitch},
            {"--prop-number", &LobbySettings::propNumber},
        };
        const auto option = std::find_if(std::begin(kValued), std::end(kValued),
                                         [&](const auto& o) { return a == QLatin1String(o.first); });
        if (option == std::end(kValued)) {
            error = QStringLiteral("unknown option ") + a;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = QStringLiteral("missing value for ") + a;
            return false;
        }
        const QString v = args[++i];
        if (const auto* text = std::get_if<QString LobbySettings::*>(&option->second)) {
            s.*(*text) = v;
            continue;
        }
        bool ok = false;
        const int number = v.toInt(&ok);
        if (!ok) {
            error = QStringLiteral("not a number: ") + a + QLatin1Char(' ') + v;
            return false;
        }
        s.*std::get<int LobbySettings::*>(option->second) = number;
    }
    return true;
}

LobbyWindow::LobbyWindow(const LobbySettings& s, const WindowBus& bus) : m_bus(bus) {
    setWindowTitle(kLobbyWindowTitle);
    m_host = new QLineEdit(s.host, this);
    m_port = new QSpinBox(this);
    m_port->setRange(1, 65535);
    m_port->setValue(s.port);
    m_account = new QLineEdit(s.account, this);
    m_password = new QLineEdit(s.password, this);
    m_password->setEchoMode(QLineEdit::Password);
    m_location = new QLineEdit(s.location, this);
    m_proxyType = new QComboBox(this);
    m_proxyType->addItem(QStringLiteral("直接连接"), 0);
    m_proxyType->addItem(QStringLiteral("SOCKS5 代理"), 5);
    m_proxyType->setCurrentIndex(s.proxyType == 5 ? 1 : 0);
    m_proxyHost = new QLineEdit(s.proxyHost, this);
    m_proxyPort = new QSpinBox(this);
    m_proxyPort->setRange(0, 65535);
    m_proxyPort->setValue(s.proxyPort);
    m_proxyUser = new QLineEdit(s.proxyUser, this);
    m_proxyPassword = new QLineEdit(s.proxyPassword, this);
    m_customTitle = new QCheckBox(QStringLiteral("自定义标题"), this);
    m_customTitle->setChecked(s.customTitle);
    m_lobbyTitle = new QLineEdit(s.lobbyTitle, this);
    m_caption = new QLineEdit(s.tableCaption, this);
    m_propSwitch = new QCheckBox(QStringLiteral("允许道具插件"), this);
    m_propSwitch->setChecked(s.propSwitch == 1);
    m_propNumber = new QSpinBox(this);
    m_propNumber->setRange(0, 32767);
    m_propNumber->setValue(s.propNumber);
    m_log = new QPlainTextEdit(this);
    m_log->setReadOnly(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("服务器"), m_host);
    form->addRow(QStringLiteral("端口"), m_port);
    form->addRow(QStringLiteral("帐号"), m_account);
    form->addRow(QStringLiteral("密码"), m_password);
    form->addRow(QStringLiteral("房间"), m_location);
    form->addRow(QStringLiteral("连接方式"), m_proxyType);
    form->addRow(QStringLiteral("代理服务器"), m_proxyHost);
    form->addRow(QStringLiteral("代理端口"), m_proxyPort);
    form->addRow(QStringLiteral("代理用户"), m_proxyUser);
    form->addRow(QStringLiteral("代理密码"), m_proxyPassword);
    form->addRow(m_customTitle);
    form->addRow(QStringLiteral("大厅标题"), m_lobbyTitle);
    form->addRow(QStringLiteral("桌面标题"), m_caption);
    form->addRow(m_propSwitch, m_propNumber);

    auto* start = new QPushButton(QStringLiteral("进入游戏"), this);
    connect(start, &QPushButton::clicked, this, &LobbyWindow::startTable);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start);
    for (uint32_t m : {1125u, 771u, 1024u, 22u}) {
        auto* b = new QPushButton(QString::number(m), this);
        connect(b, &QPushButton::clicked, this, [this, m] { sendToTable(m); });
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_log);

    // With a custom title the table looks for the lobby by field 12.
    const QString title = s.customTitle && !s.lobbyTitle.isEmpty() ? s.lobbyTitle : kLobbyWindowTitle;
    m_busWindow = std::make_unique<BusWindow>(this, title, m_bus);
    if (!m_busWindow->isRegistered())
        note(QStringLiteral("another window already holds the title ") + title);
    connect(m_busWindow.get(), &BusWindow::messageReceived, this, &LobbyWindow::received);

    m_table.setProcessChannelMode(QProcess::ForwardedChannels);
    connect(&m_table, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        note(status == QProcess::NormalExit ? QStringLiteral("the table ended (exit code %1)").arg(code)
                                            : QStringLiteral("the table was ended from outside"));
        emit tableFinished();
    });
    connect(&m_table, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        // A table that never started never finishes either; it has ended all the same.
        if (e != QProcess::FailedToStart)
            return;
        note(QStringLiteral("the table did not start: ") + m_table.errorString());
        emit tableFinished();
    });
}

LobbyWindow::~LobbyWindow() {
    // The table goes on by itself when the lobby closes.
    if (m_table.state() != QProcess::NotRunning)
        m_table.waitForFinished(0);
}

LobbySettings LobbyWindow::settings() const {
    LobbySettings s;
    s.host = m_host->text();
    s.port = m_port->value();
    s.account = m_account->text();
    s.password = m_password->text();
    s.location = m_location->text();
    s.proxyType = m_proxyType->currentData().toInt();
    s.proxyHost = m_proxyHost->text();
    s.proxyPort = m_proxyPort->value();
    s.proxyUser = m_proxyUser->text();
    s.proxyPassword = m_proxyPassword->text();
    s.customTitle = m_customTitle->isChecked();
    s.lobbyTitle = m_lobbyTitle->text();
    s.tableCaption = m_caption->text();
    s.propSwitch = m_propSwitch->isChecked() ? 1 : 0;
    s.propNumber = m_propNumber->value();
    return s;
}

void LobbyWindow::startTable() {
    if (m_table.state() != QProcess::NotRunning) {
        note(QStringLiteral("the table is running already"));
        return;
    }
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/vexal");
    const QString line = buildLaunchString(settings());
    note(QStringLiteral("start ") + program);
    m_table.start(program, {line});
}

void LobbyWindow::sendToTable(uint32_t message) {
    const QString title = tableWindowTitle(settings());
    const bool sent = m_bus.postMessage(title, message);
    note(QStringLiteral("sent %1%2").arg(message).arg(sent ? QString() : QStringLiteral(" (no table window)")));
}

void LobbyWindow::received(const WindowMessage& m) {
    if (m.msg == kWmSysCommand)
        note(QStringLiteral("received system command %1").arg(m.wParam, 0, 16));
    else
        note(QStringLiteral("received %1").arg(m.msg));
}

void LobbyWindow::note(const QString& line) {
    m_log->appendPlainText(line);
    const QByteArray out = "lobby: " + line.toUtf8() + "\n";
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);
}

}  // namespace vexal
