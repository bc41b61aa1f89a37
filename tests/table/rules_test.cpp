// The 规则 button's view: the information page goes to a browser when one opens it, the table's own
// rules window shows the rules page shipped with the client otherwise, and that window never lies
// over the own hand, its controls or the own clock during the own turn, at either table size.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <memory>
#include <vector>

#include "../rules/cards.h"
#include "model/roundmodel.h"
#include "model/session.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "table/clockview.h"
#include "table/mainform.h"
#include "table/round.h"
#include "table/rulesview.h"
#include "table/widgets.h"

namespace vexal {
namespace {

using testing::cards;

// The players' part of the rules as docs/game-rules.md has it: "## How to play" up to the next
// section of its level.
QString playersPartOfTheRules() {
    QFile file(QStringLiteral(VEXAL_SOURCE_DIR "/docs/game-rules.md"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype start = text.indexOf(QStringLiteral("\n## How to play\n"));
    EXPECT_GE(start, 0);
    const qsizetype end = text.indexOf(QStringLiteral("\n## "), start + 1);
    return text.mid(start + 1, end < 0 ? -1 : end - start);
}

TEST(RulesPage, TheShippedPageIsThePlayersPartOfTheGamesRules) {
    const QString shipped = shippedRulesPage();
    const QString rules = playersPartOfTheRules();
    ASSERT_FALSE(shipped.isEmpty());
    EXPECT_EQ(shipped, rules);
    // Every subsection of that part, and nothing of the server's part after it.
    for (const char* part :
         {"### The cards", "### Calling", "### Plays", "### Tricks", "### The end of the round", "### Coins",
          "### Words on the score sheet", "暗叫", "吼", "枯踹", "封顶"})
        EXPECT_TRUE(shipped.contains(QString::fromUtf8(part))) << part;
    // How the game is played, not how the server talks (no commands, bytes, flags or code names).
    for (const char* protocol : {"## Deck, seats and points", "command ", "byte", "frame", "`"})
        EXPECT_FALSE(shipped.contains(QString::fromUtf8(protocol))) << protocol;
}

// The round's model and view for own seat bit 1 with the rules view beside them; the browser is a
// stand-in that answers as told and records what it was asked to open.
struct Table {
    SessionState session;
    MainForm form{session};
    RoundModel model{session};
    ClockView clock{form};
    std::unique_ptr<RoundView> round;
    std::unique_ptr<RulesView> rules;
    bool browserOpens = false;
    std::vector<QUrl> opened;

    explicit Table(QSize screen = QSize(1280, 1024)) {
        session.own.seatBit = 1;
        session.loggedIn = true;
        session.turnTimeLimit = 15;
        form.sizeForScreen(screen);
        round = std::make_unique<RoundView>(model, form, clock, nullptr);
        round->wait = [](int) {};
        round->onIntent = [this](const RoundIntent& i) { round->draw(model.act(i).view); };
        rules = std::make_unique<RulesView>(form, [this](const QUrl& url) {
            opened.push_back(url);
            return browserOpens;
        });
        form.show();
        round->draw(model.resetRound().view);
    }
    ~Table() { rules.reset(); }
    void receive(const RoundMessage& m) { round->draw(model.receive(m).view); }
    void press() { rules->rulesPressed(rulesPageAddress("games.example")); }
};

TEST(RulesView, TheInformationPageGoesToTheBrowserAndTheOwnWindowShowsWhereNoneOpensIt) {
    Table t;
    t.browserOpens = true;
    t.press();
    ASSERT_EQ(t.opened.size(), 1u);
    EXPECT_EQ(t.opened[0], QUrl(QStringLiteral("http://games.example/gameinfo/vxwsk/index.php")));
    EXPECT_FALSE(t.rules->window()->isVisible());

    // No browser: the table's own window with the shipped page; the button hides it again.
    t.browserOpens = false;
    t.press();
    EXPECT_EQ(t.opened.size(), 2u);
    ASSERT_TRUE(t.rules->window()->isVisible());
    const QString shown = t.rules->window()->page->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("How to play")));
    EXPECT_TRUE(shown.contains(QStringLiteral("Words on the score sheet")));
    EXPECT_FALSE(shown.contains(QStringLiteral("|---|")));  // the tables are drawn as tables
    t.press();
    EXPECT_FALSE(t.rules->window()->isVisible());
    EXPECT_EQ(t.opened.size(), 2u);  // hiding asks no browser

    // The close button hides it, and so does minimising the table.
    t.press();
    ASSERT_TRUE(t.rules->window()->isVisible());
    QTest::mouseClick(t.rules->window()->close, Qt::LeftButton);
    EXPECT_FALSE(t.rules->window()->isVisible());
    t.press();
    ASSERT_TRUE(t.rules->window()->isVisible());
    t.form.showMinimized();
    QTest::qWait(0);
    EXPECT_FALSE(t.rules->window()->isVisible());
}

// Everything of the own turn the player must reach, in global pixels.
std::vector<std::pair<const char*, QRect>> ownTurnWidgets(Table& t) {
    std::vector<std::pair<const char*, QRect>> out;
    auto add = [&](const char* name, const QWidget* w) {
        if (w->isVisible())
            out.emplace_back(name, QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
    };
    for (const QLabel* card : t.round->cardImage[0]) add("own card", card);
    for (const PictureButton* b : t.round->Operation) add("play control", b);
    add("叫", t.round->img_jiao);
    add("吼", t.round->img_hou);
    add("过", t.round->img_pass);
    add("clock", t.form.Time_Img);
    add("clock number", t.form.Number);
    return out;
}

TEST(RulesView, TheWindowLeavesTheOwnHandItsControlsAndClockFreeDuringTheOwnTurnAtBothSizes) {
    for (const QSize screen : {QSize(1280, 1024), QSize(800, 600)}) {
        Table t(screen);
        t.receive(Deal{
            1, cards("3d 4d 5d 6d 7d 8d 9d 10d Jd Qd Kd Ad 2d 3c 4c 5c 6c 7c 8c 9c 10c Jc Qc Kc Ac SJ BJ"),
            false, "", 0});
        t.press();
        ASSERT_TRUE(t.rules->window()->isVisible());
        const QRect window = t.rules->window()->frameGeometry();
        // Big enough to read at either size.
        EXPECT_GE(window.width(), 500) << screen.width();
        EXPECT_GE(window.height(), 300) << screen.width();

        auto checkFree = [&](const char* turn, size_t atLeast) {
            const auto widgets = ownTurnWidgets(t);
            EXPECT_GE(widgets.size(), atLeast) << turn;
            for (const auto& [name, rect] : widgets)
                EXPECT_FALSE(window.intersects(rect)) << turn << ": " << name << " at " << screen.width();
        };
        // The own calling turn: call or roar, the clock running.
        t.receive(CallingTurn{1, kOfferCallOrRoar});
        ASSERT_TRUE(t.round->img_jiao->isVisible());
        checkFree("calling", 27 + 2 + 2);
        // The own play turn, following a single: play, hint and pass, the clock running.
        t.receive(CallChoice{1, kChoiceCall, 3, 1});
        t.receive(PlayReport{8, 1, kTrickGoesOn, 0, kPlaySingle, cards("4c", 60), 0, false, 3});
        ASSERT_TRUE(t.round->Operation[0]->isVisible());
        checkFree("play", 27 + 3 + 2);
        // Opened during the own turn, it goes to the same free place.
        t.press();
        t.press();
        EXPECT_EQ(t.rules->window()->frameGeometry(), window) << screen.width();
    }
}

}  // namespace
}  // namespace vexal
