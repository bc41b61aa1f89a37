// An embedded web panel: a text browser that loads a page, hides itself when the page cannot be
// loaded, and never offers a context menu.
#pragma once

#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace vexal {

class WebPanel : public QTextBrowser {
    Q_OBJECT
public:
    explicit WebPanel(QWidget* parent = nullptr);
    void navigate(const QUrl& url);
    // Set by the first failed navigation and never cleared.
    bool pageFailed() const { return m_failed; }

signals:
    void navigationFailed();
    void navigationCompleted();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_pending = nullptr;
    bool m_failed = false;
};

}  // namespace vexal
