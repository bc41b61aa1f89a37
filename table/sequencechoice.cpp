#include "table/sequencechoice.h"

#include "table/windows.h"

#include <QMouseEvent>
#include <QVBoxLayout>

namespace vexal {

namespace {
constexpr int kPerPage = 4;

class PageLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && onClick)
            onClick();
    }
};
}  // namespace

SequenceChoice::SequenceChoice(QWidget* table) : QWidget(table, Qt::Tool | Qt::FramelessWindowHint), m_table(table) {
    setObjectName(QStringLiteral("SequenceChoice"));
    setStyleSheet(QStringLiteral("#SequenceChoice{background:#20402a;border:2px solid #d8b25a;}"
                                 "QPushButton{color:#fff6c8;background:#2f5f3a;padding:4px;}"
                                 "QLabel{color:#ffe27a;}"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("请选择出牌方式"), this);
    layout->addWidget(title);
    for (size_t i = 0; i < option.size(); ++i) {
        option[i] = new QPushButton(this);
        layout->addWidget(option[i]);
        connect(option[i], &QPushButton::clicked, this, [this, i] {
            const int index = m_page * kPerPage + static_cast<int>(i);
            hide();
            emit chosen(index);
        });
    }
    auto* turn = new PageLabel(this);
    turn->onClick = [this] { showPage(m_page == 0 && m_options.size() > kPerPage ? 1 : 0); };
    pageTurn = turn;
    layout->addWidget(pageTurn);
    cancel = new QPushButton(QStringLiteral("取消"), this);
    layout->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void SequenceChoice::open(const QStringList& options) {
    m_options = options;
    showPage(0);
    adjustSize();
    centreOver(this, m_table);
    show();
    raise();
}

void SequenceChoice::showPage(int page) {
    m_page = page;
    for (int i = 0; i < kPerPage; ++i) {
        const int index = page * kPerPage + i;
        QPushButton* b = option[static_cast<size_t>(i)];
        b->setVisible(index < m_options.size());
        if (index < m_options.size())
            b->setText(m_options[index]);
    }
    const bool pages = m_options.size() > kPerPage;
    pageTurn->setVisible(pages);
    pageTurn->setText(page == 0 ? QStringLiteral("下一页") : QStringLiteral("上一页"));
}

}  // namespace vexal
