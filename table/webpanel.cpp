#include "table/webpanel.h"

#include <QContextMenuEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace vexal {

WebPanel::WebPanel(QWidget* parent) : QTextBrowser(parent), m_network(new QNetworkAccessManager(this)) {
    setOpenLinks(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void WebPanel::navigate(const QUrl& url) {
    if (m_pending) {
        m_pending->disconnect(this);
        m_pending->abort();
        m_pending->deleteLater();
        m_pending = nullptr;
    }
    if (!url.isValid() || url.scheme().isEmpty()) {
        m_failed = true;
        hide();
        emit navigationFailed();
        return;
    }
    QNetworkReply* reply = m_network->get(QNetworkRequest(url));
    m_pending = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        if (m_pending != reply)
            return;
        m_pending = nullptr;
        if (reply->error() != QNetworkReply::NoError) {
            m_failed = true;
            hide();
            emit navigationFailed();
            return;
        }
        setHtml(QString::fromUtf8(reply->readAll()));
        emit navigationCompleted();
    });
}

void WebPanel::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

}  // namespace vexal
