// The values screen on an office's server that goes away: stopped at once (as
// in a crash) and started again between two saves, or while a save waits for
// its commit. The program never ends, the screen keeps what was typed, the
// message says the last action did not take effect (and quotes no statement),
// and a save whose answer was lost is settled against the store: the
// statement is stored once, never twice, never lost.

#include "support/PgServer.h"
#include "support/ui/ValuesFixture.h"

#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ValuesFlow.h"

#include <QAction>
#include <QComboBox>

#include <chrono>
#include <memory>
#include <thread>

using namespace zorva;
using namespace zorva::test;

namespace {

class ServerSaveTest : public ValuesTest {
protected:
    void SetUp() override {
        std::string why;
        if (!PgAvailable(&why)) GTEST_SKIP() << why;
        ValuesTest::SetUp();
        server = std::make_unique<PrivatePgServer>();
        address = server->NewStore();
        ConnectToFile(gcnUser, address, "unknown");
        Child<QLineEdit>(&screen(), "txtFirmName")->setText("Client L'Étoile");
        Child<QComboBox>(&screen(), "cboYear")->setCurrentText("2010");
    }
    void TearDown() override {
        ValuesTest::TearDown();
        DisconnectFromDB(gcnUser);
        server.reset();
    }
    void save() {
        key(Qt::Key_S, Qt::ControlModifier);
        Settle();
    }
    long rowsOnServer() { return std::stol(PgSql(address, "select count(*) from myvalues")); }
    long rowsOnServer(const std::string& name) {
        return std::stol(PgSql(address, "select count(*) from myvalues where firmname = '" + name + "'"));
    }

    std::unique_ptr<PrivatePgServer> server;
    std::string address;
};

TEST_F(ServerSaveTest, AServerKilledAndRestartedBetweenTwoSavesLosesNothing) {
    enter(Field::Cash, "125");
    save();
    ASSERT_EQ(fakes.messages->last().text, Txt(store::kMsgSaved));
    enter(Field::Cash, "250");

    server->Kill();
    server->Start();
    save();
    EXPECT_FALSE(!fakes.exit->codes.empty()) << "the program ended";
    const std::string said = fakes.messages->last().text;
    EXPECT_EQ(said.rfind(Txt(2310), 0), 0u) << said;
    EXPECT_NE(said.find(Txt(2312)), std::string::npos) << said;
    for (const char* sql : {"select", "myvalues", "foldcase", "L''"}) EXPECT_EQ(said.find(sql), std::string::npos) << said;
    EXPECT_EQ(box(Field::Cash)->text(), "250") << "the typed value is kept";
    EXPECT_TRUE(screen().DataChanged());

    save();  // the next action connects again
    EXPECT_EQ(fakes.messages->last().text, Txt(store::kMsgSaved));
    EXPECT_FALSE(screen().DataChanged());
    EXPECT_EQ(rowsOnServer(), 1);
    EXPECT_EQ(PgSql(address, "select cash from myvalues"), "250");
}

// The server dies while the save waits for its commit (a check made at commit
// time sleeps), and is still down when the program asks whether the save
// took effect: the program says it cannot tell yet. The next save asks the
// store first: if the earlier save is not there it is made once; if it is
// there (here another connection stored the same values meanwhile, as the
// lost commit would have) it is not made again.
TEST_F(ServerSaveTest, ASaveWhoseAnswerWasLostIsSettledAgainstTheStore) {
    for (bool earlierTookEffect : {false, true}) {
        SCOPED_TRACE(earlierTookEffect);
        const std::string name = earlierTookEffect ? "Second Client" : "First Client";
        Child<QLineEdit>(&screen(), "txtFirmName")->setText(QString::fromStdString(name));
        PgSql(address,
              "create or replace function slow_commit() returns trigger language plpgsql as "
              "$$ begin perform pg_sleep(5); return null; end $$; "
              "drop trigger if exists slow_commit on myvalues; "
              "create constraint trigger slow_commit after insert on myvalues deferrable initially deferred "
              "for each row execute function slow_commit()");
        enter(Field::Cash, earlierTookEffect ? "77" : "66");
        std::thread killer([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            server->Kill();
        });
        save();
        killer.join();
        EXPECT_FALSE(!fakes.exit->codes.empty());
        EXPECT_EQ(fakes.messages->last().text, Txt(values::kMsgSaveInDoubt));
        EXPECT_TRUE(screen().DataChanged());

        server->Start();
        PgSql(address, "drop trigger slow_commit on myvalues");
        ASSERT_EQ(rowsOnServer(name), 0) << "the commit never happened";
        if (earlierTookEffect) {
            ConnectionHandle other;
            ConnectToFile(other, address, "unknown");
            RecordTexts r = screen().Record();
            subRemoveBlanksCommas(r);
            store::SaveRecord(other, r, 2010);
        }
        save();
        EXPECT_EQ(fakes.messages->last().text,
                  Txt(earlierTookEffect ? values::kMsgEarlierSaveTookEffect : store::kMsgSaved));
        EXPECT_FALSE(screen().DataChanged());
        EXPECT_EQ(rowsOnServer(name), 1);
        EXPECT_EQ(PgSql(address, "select cash from myvalues where firmname = '" + name + "'"),
                  earlierTookEffect ? "77" : "66");
    }
}

} // namespace
