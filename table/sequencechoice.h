// `SequenceChoice`: asks whether an ambiguous selection is a run of pairs or a run of triples.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

#include <array>

namespace vexal {

class SequenceChoice : public QWidget {
    Q_OBJECT
public:
    explicit SequenceChoice(QWidget* table);

    // Opens centred over the table with these option lines, four to a page.
    void open(const QStringList& options);
    QStringList options() const { return m_options; }
    int page() const { return m_page; }

    std::array<QPushButton*, 4> option{};
    QLabel* pageTurn;
    QPushButton* cancel;

signals:
    void chosen(int option);

private:
    void showPage(int page);
    QWidget* m_table;
    QStringList m_options;
    int m_page = 0;
};

}  // namespace vexal
