// An office under load (`make office-load`, not part of `make test`): twenty
// advisers' clients (zorva-cli processes, one operation each, started back to
// back) work for a minute on one user store on a PostgreSQL server, each
// saving its own enterprise and three shared ones, opening its own, comparing
// it and preparing an industry report; clients are killed at random, and the
// server is stopped at once (-m immediate, as in a crash) and started again
// mid-run. Afterwards:
//   - no statement is lost or changed: each client's own enterprise holds the
//     values of its last confirmed save or of a later save that was under way,
//     whole; each shared one holds one save's values, whole;
//   - no report row reached the wrong connection: every comparison printed the
//     client's own enterprise, every prepared report the industry asked for;
//   - no enterprise and year is stored twice;
//   - no client ended otherwise than by its own exit (a crash, an abort);
//   - every failed operation said why in a message the program knows.
// Prints operations per second and the median and 95th percentile of each
// operation's time (a whole zorva-cli process: start, connect, work, end).
//
// OFFICE_CLIENTS and OFFICE_SECONDS change the twenty clients and the minute.

#include "support/AppFixture.h"
#include "support/PgServer.h"

#include "core/Strings.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>

using namespace zorva;
using namespace zorva::test;

namespace {

using Clock = std::chrono::steady_clock;

enum class Op { SaveOwn, SaveShared, Open, Compare, Prepare };
const char* kOpNames[] = {"save own", "save shared", "open from the list", "compare", "prepare a report"};

// The values of a save: every amount follows from (who, n), so a stored row
// tells which save it came from and whether it is whole.
struct Save {
    int who;
    long n;
};
long cashOf(const Save& s) { return s.n * 100 + s.who; }
long arOf(const Save& s) { return s.n * 7 + 13 * s.who + 1; }
long payableOf(const Save& s) { return (s.n % 97) + 1; }
long revenueOf(const Save& s) { return 50000 + s.n * 3 + s.who; }

std::string ownName(int who) { return "Client " + std::to_string(who) + " L'Étoile"; }
std::string sharedName(int k) { return "Shared firm " + std::to_string(k); }

void writeCsv(const std::string& path, const std::string& name, const Save& s) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const long cash = cashOf(s), ar = arOf(s), payable = payableOf(s);
    out << "FirmName,Year,Cash,Ar,AccountsPayable,ShareC,OperatingRevenue,ProfitAfterTax\n\"" << name << "\",2010,"
        << cash << "," << ar << "," << payable << "," << cash + ar - payable << "," << revenueOf(s) << ",1000\n";
}

struct Running {
    std::unique_ptr<QProcess> p;
    Op op;
    Clock::time_point started;
    Save save{0, 0};
    std::string expect;  // compare: the enterprise; prepare: the industry
    bool killed = false;
};

struct Client {
    int who = 0;
    long next = 1;
    long lastDone = 0;     // own enterprise: last save confirmed
    long lastAttempt = 0;  // own enterprise: last save started
    Running run;
    int step = 0;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(std::min<double>(v.size() - 1, p * (v.size() - 1) + 0.5))];
}

bool knownMessage(const std::string& err) {
    for (int id : {2310, 2314, 2302, 2306, 904, 1538, 900, 3200})
        if (err.find(Txt(id, 0).substr(0, 24)) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(OfficeLoad, DISABLED_TwentyAdvisersForAMinuteWithKillsAndARestart) {
    std::string why;
    if (!PgAvailable(&why)) GTEST_SKIP() << why;
    const int clients = EnvNumber("OFFICE_CLIENTS", 20);
    const int seconds = EnvNumber("OFFICE_SECONDS", 60);
    const std::string app = CopyAppFolder();
    PrivatePgServer server;
    const std::string address = server.NewStore();
    const QString cli = QString::fromStdString(BuiltAppDir() + "/zorva-cli");
    const QStringList common{"--app-dir", QString::fromStdString(app), "--user-store", QString::fromStdString(address)};

    // Industries to prepare reports of.
    std::vector<std::string> naics;
    {
        QProcess p;
        p.start(cli, common + QStringList{"industries", "--dataset", "optVol3"});
        p.waitForFinished(60000);
        for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
            const int at = line.indexOf("\"naics\":\"");
            if (at >= 0) naics.push_back(line.mid(at + 9, line.indexOf('"', at + 9) - at - 9).toStdString());
        }
        ASSERT_GE(naics.size(), 5u);
    }

    std::vector<Client> all(static_cast<size_t>(clients));
    std::map<std::string, std::vector<Save>> sharedAttempts;
    std::map<Op, std::vector<double>> times;
    long done = 0, failed = 0, unclear = 0, wrongRows = 0, kills = 0, crashed = 0;
    std::vector<std::string> unclearSamples;
    std::mt19937 random(12345);
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    auto nextKill = start + std::chrono::milliseconds(700);
    bool restarted = false;

    auto launch = [&](Client& c) {
        Running r;
        r.p = std::make_unique<QProcess>();
        r.started = Clock::now();
        const std::string csv = app + "/client" + std::to_string(c.who) + ".csv";
        QStringList args = common;
        switch (c.step++ % 5) {
        case 0:
            r.op = Op::SaveOwn;
            r.save = {c.who, c.next++};
            c.lastAttempt = r.save.n;
            writeCsv(csv, ownName(c.who), r.save);
            args << "import" << "--values" << QString::fromStdString(csv) << "--replace";
            break;
        case 1: {
            r.op = Op::SaveShared;
            r.save = {c.who, c.next++};
            const std::string name = sharedName(static_cast<int>(r.save.n % 3));
            sharedAttempts[name].push_back(r.save);
            writeCsv(csv, name, r.save);
            args << "import" << "--values" << QString::fromStdString(csv) << "--replace";
            break;
        }
        case 2:
            r.op = Op::Open;
            args << "open" << "--name" << QString::fromStdString(ownName(c.who)) << "--year" << "2010";
            break;
        case 3:
            r.op = Op::Compare;
            r.expect = ownName(c.who);
            writeCsv(csv, ownName(c.who), {c.who, 0});
            args << "compare" << "--dataset" << "optVol3" << "--naics" << "721" << "--values"
                 << QString::fromStdString(csv);
            break;
        default:
            r.op = Op::Prepare;
            r.expect = naics[static_cast<size_t>(c.who + c.step) % naics.size()];
            args << "prepare" << "--type" << "rat" << "--dataset" << "optVol3" << "--naics"
                 << QString::fromStdString(r.expect);
            break;
        }
        r.p->start(cli, args);
        c.run = std::move(r);
    };
    auto finish = [&](Client& c) {
        Running& r = c.run;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - r.started).count();
        const bool ok = r.p->exitStatus() == QProcess::NormalExit && r.p->exitCode() == 0;
        const std::string out = r.p->readAllStandardOutput().toStdString();
        const std::string err = r.p->readAllStandardError().toStdString();
        if (r.killed) return;
        if (r.p->exitStatus() != QProcess::NormalExit) {
            ++crashed;
            if (unclearSamples.size() < 5) unclearSamples.push_back(kOpNames[int(r.op)] + std::string(": crashed: ") + err);
            return;
        }
        // Opening before the first save went through: nothing stored yet.
        const bool notYetSaved = r.op == Op::Open && out.find(Txt(980, 0)) != std::string::npos;
        if (!ok && !notYetSaved) {
            ++failed;
            if (!knownMessage(err)) {
                ++unclear;
                if (unclearSamples.size() < 5) unclearSamples.push_back(kOpNames[int(r.op)] + std::string(": ") + err + out);
            }
            return;
        }
        ++done;
        times[r.op].push_back(ms);
        if (r.op == Op::SaveOwn && out.find("\"refused\"") == std::string::npos) c.lastDone = r.save.n;
        if (r.op == Op::Compare && out.find("\"MyFirmName\":\"" + r.expect + "\"") == std::string::npos) ++wrongRows;
        if (r.op == Op::Prepare && out.find("\"NAICS\":\"" + r.expect + "\"") == std::string::npos) ++wrongRows;
    };

    for (auto& c : all) {
        c.who = static_cast<int>(&c - all.data()) + 1;
        launch(c);
    }
    while (Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (auto& c : all) {
            if (c.run.p->state() == QProcess::NotRunning) {
                c.run.p->waitForFinished(0);
                finish(c);
                launch(c);
            }
        }
        if (Clock::now() >= nextKill) {
            auto& victim = all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(random)];
            if (victim.run.p->state() == QProcess::Running) {
                victim.run.killed = true;
                victim.run.p->kill();
                ++kills;
            }
            nextKill = Clock::now() + std::chrono::milliseconds(std::uniform_int_distribution<int>(200, 900)(random));
        }
        if (!restarted && Clock::now() >= start + std::chrono::seconds(seconds) / 2) {
            server.Kill();
            server.Start();
            restarted = true;
        }
        QThread::usleep(500);
    }
    for (auto& c : all) {
        c.run.p->waitForFinished(60000);
        finish(c);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    // What is stored.
    long lost = 0, changed = 0;
    auto stored = [&](const std::string& name) -> std::optional<std::pair<long, long>> {
        QProcess p;
        p.start(cli, common + QStringList{"open", "--name", QString::fromStdString(name), "--year", "2010"});
        p.waitForFinished(60000);
        const std::string out = p.readAllStandardOutput().toStdString();
        auto number = [&](const std::string& key) {
            const auto at = out.find("\"" + key + "\":");
            return at == std::string::npos ? -1L : std::atol(out.c_str() + at + key.size() + 3);
        };
        if (p.exitCode() != 0) return std::nullopt;
        return std::make_pair(number("Cash"), number("Ar"));
    };
    for (const auto& c : all) {
        const auto row = stored(ownName(c.who));
        if (!row) {
            if (c.lastDone > 0) ++lost;
            continue;
        }
        const long n = row->first / 100;
        if (n < c.lastDone || n > c.lastAttempt) ++lost;
        else if (row->first != cashOf({c.who, n}) || row->second != arOf({c.who, n})) ++changed;
    }
    for (const auto& [name, attempts] : sharedAttempts) {
        const auto row = stored(name);
        if (!row) continue;
        const bool whole = std::any_of(attempts.begin(), attempts.end(), [&](const Save& s) {
            return cashOf(s) == row->first && arOf(s) == row->second;
        });
        if (!whole) ++changed;
    }

    std::printf("\noffice load: %d clients, %.0f s, %ld operations done (%.1f per second), %ld failed, %ld killed, "
                "server restarted %s\n",
                clients, elapsed, done, done / elapsed, failed, kills, restarted ? "once" : "never");
    std::printf("%-20s %8s %10s %10s\n", "operation", "count", "median ms", "p95 ms");
    for (const auto& [op, v] : times)
        std::printf("%-20s %8zu %10.1f %10.1f\n", kOpNames[int(op)], v.size(), percentile(v, 0.5), percentile(v, 0.95));
    const long doubled = std::stol(PgSql(address, "select count(*) from (select 1 from myvalues group by "
                                                  "foldcase(firmname), year having count(*) > 1) d"));
    std::printf("statements lost: %ld, changed: %ld, doubled: %ld; clients ended abnormally: %ld; report rows seen "
                "by the wrong connection: %ld; unclear errors: %ld\n",
                lost, changed, doubled, crashed, wrongRows, unclear);
    for (const auto& s : unclearSamples) std::printf("  unclear: %s\n", s.c_str());
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(doubled, 0);
    EXPECT_EQ(crashed, 0);
    EXPECT_EQ(wrongRows, 0);
    EXPECT_EQ(unclear, 0);
    EXPECT_TRUE(restarted);
    EXPECT_GT(done, 100);
}
