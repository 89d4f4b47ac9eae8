// The road on both editions of the benchmarks, in both languages: the data
// sets, the key word search, the comparison of statements, every report type
// and its export, the trend of saved years and the portfolio workbook, with
// zorva-cli on the stores built into the application folder (the shipped
// 2008-2010 edition and the 2021-2023 one, chosen with --industry-store).

#include "support/AppFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace zorva::test;

namespace {

struct CliResult {
    int code = -1;
    std::string out, err;
    std::vector<QJsonObject> objects;
};

CliResult cli(const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString(BuiltAppDir() + "/zorva-cli"), args);
    CliResult r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        ADD_FAILURE() << "zorva-cli did not finish";
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    for (const QByteArray& line : QByteArray::fromStdString(r.out).split('\n'))
        if (auto d = QJsonDocument::fromJson(line); d.isObject()) r.objects.push_back(d.object());
    return r;
}

std::string text(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// The cells of a workbook's sheets, as their XML (strings written inline).
std::string workbookText(const QString& file) {
    QProcess p;
    p.start("/usr/bin/python3", {"-c", "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                                        "print(''.join(z.read(n).decode() for n in z.namelist() if n.startswith('xl/')))",
                                 file});
    p.waitForFinished(60000);
    return p.readAllStandardOutput().toStdString();
}

struct Edition {
    const char* store;  // in the application folder; nullptr: the default one
    int latest;
    int other;          // the latest year of the other edition
};

TEST(Editions, TheRoadServesEitherEditionInEitherLanguage) {
    const Edition editions[] = {{nullptr, 2010, 2023}, {"ZOR_DATA_2023.mdb", 2023, 2010}};
    for (const Edition& e : editions) {
        for (const QString lang : {"en", "fr"}) {
            const std::string where = std::to_string(e.latest) + " " + lang.toStdString();
            QTemporaryDir tmp;
            ASSERT_TRUE(tmp.isValid());
            QStringList common{"--lang", lang, "--user-store", tmp.filePath("myData.mdb")};
            if (e.store) common += {"--industry-store", QString::fromStdString(BuiltAppDir() + "/" + e.store)};
            const QString y0 = QString::number(e.latest), y1 = QString::number(e.latest - 1),
                          y2 = QString::number(e.latest - 2);

            // The data sets name the edition and the latest year's tables.
            CliResult sets = cli(QStringList{"datasets"} + common);
            ASSERT_EQ(sets.code, 0) << where << sets.err;
            ASSERT_EQ(sets.objects.size(), 19u) << where;
            EXPECT_EQ(sets.objects[2].value("edition").toString(), y2 + "-" + y0) << where;
            EXPECT_EQ(sets.objects[2].value("years").toArray(), QJsonArray({e.latest, e.latest - 1, e.latest - 2}));
            EXPECT_EQ(sets.objects[2].value("table").toString(), "ZORVA_Vol3_ALL_" + y0 + "_Final_Ratios") << where;
            EXPECT_TRUE(sets.objects[2].value("description").toString().contains(y1)) << where;

            // The key word search finds the restaurants.
            CliResult found = cli(QStringList{"industries", "--dataset", "optVol3", "--keyword",
                                        lang == "en" ? "restaurants" : "restaurants"} + common);
            ASSERT_EQ(found.code, 0) << where << found.err;
            bool restaurants = false;
            for (const auto& o : found.objects) restaurants = restaurants || o.value("naics").toString() == "7221";
            EXPECT_TRUE(restaurants) << where << found.out;

            // Statements of the latest and the earliest year are compared; one
            // of the other edition's latest year is refused with this
            // edition's years.
            const QString values = tmp.filePath("values.csv");
            std::ofstream(values.toStdString())
                << "FirmName,Year,Cash,Ar,AccountsPayable,ShareC,OperatingRevenue,ProfitAfterTax,InterestExpense,"
                   "OperatingProfit\n"
                << "Bistro," << e.latest << ",500,500,700,300,1000,50,10,80\n"
                << "Bistro," << e.latest - 2 << ",400,500,600,300,900,-20,12,10\n"
                << "Bistro," << e.other << ",400,500,600,300,900,-20,12,10\n";
            CliResult compared = cli(QStringList{"compare", "--dataset", "optVol3", "--naics", "7221", "--values", values} +
                               common);
            ASSERT_EQ(compared.objects.size(), 3u) << where << compared.out << compared.err;
            EXPECT_EQ(compared.objects[0].value("MyYear").toInt(), e.latest) << where << compared.out;
            EXPECT_EQ(compared.objects[1].value("MyYear").toInt(), e.latest - 2) << where;
            const std::string refused = compared.objects[2].value("error").toString().toStdString();
            EXPECT_NE(refused.find(y2.toStdString()), std::string::npos) << where << ": " << refused;
            EXPECT_NE(refused.find(y0.toStdString()), std::string::npos) << where << ": " << refused;

            // The portfolio workbook's quartiles are headed by the edition's years.
            const QString portfolio = tmp.filePath("portfolio.xlsx");
            cli(QStringList{"compare", "--dataset", "optVol3", "--naics", "7221", "--values", values, "--out",
                            portfolio} + common);
            const std::string book = workbookText(portfolio);
            for (const QString& y : {y0, y1, y2})
                EXPECT_NE(book.find("Q1 " + y.toStdString()), std::string::npos) << where << ": portfolio";
            EXPECT_EQ(book.find("Q1 " + std::to_string(e.other)), std::string::npos) << where << ": portfolio";

            // The statements saved, then every report, shown and exported: the
            // edition's years, never the other edition's.
            ASSERT_EQ(cli(QStringList{"import", "--values", values} + common).code, 1) << where;  // the other year refused
            const struct { const char* type; const char* ext; } reports[] = {
                {"rat", "html"}, {"bal", "csv"}, {"com", "html"}, {"com", "xlsx"}, {"trend", "html"}};
            for (const auto& r : reports) {
                const QString out = tmp.filePath(QString("report-%1.%2").arg(r.type, r.ext));
                CliResult made = cli(QStringList{"report", "--type", r.type, "--dataset", "optVol3", "--naics", "7221",
                                           "--values", values, "--name", "Bistro", "--out", out} + common);
                const std::string what = where + " " + r.type + "." + r.ext;
                ASSERT_EQ(made.code, 0) << what << made.out << made.err;
                const std::string shown = std::string(r.ext) == "xlsx" ? workbookText(out) : text(out);
                EXPECT_NE(shown.find(y0.toStdString()), std::string::npos) << what;
                if (std::string(r.type) != "com") {  // the comparison is of one year
                    EXPECT_NE(shown.find(y2.toStdString()), std::string::npos) << what;
                }
                EXPECT_EQ(shown.find(std::to_string(e.other)), std::string::npos) << what;
            }
        }
    }
}

// The comparison of the second edition agrees with the reference program
// (bench/compare_reference.py): statements of each of its years, one of a
// year it does not cover and one out of balance, in several industries.
TEST(Editions, TheSecondEditionsComparisonsAgreeWithTheReference) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString store = QString::fromStdString(BuiltAppDir() + "/ZOR_DATA_2023.mdb");
    const QString values = tmp.filePath("values.csv");
    std::ofstream(values.toStdString())
        << "FirmName,Year,NAICS,Cash,Ar,Inv,CA,AccountsPayable,Mtg,ShareC,RetEarn,OperatingRevenue,Sales,GrossProfit,"
           "OperatingProfit,InterestExpense,PretaxProfit,ProfitAfterTax,CurrentAssets,CurrentLiabilities\n"
        << "Bistro,2023,7221,500,500,300,1200,700,900,300,600,4000,3900,2500,200,60,140,110,1300,800\n"
        << "Bistro,2021,7221,400,300,250,1300,900,1100,300,-50,2500,2400,1500,-80,70,-150,-150,950,1000\n"
        << "Air North,2022,481,900,400,100,5000,800,3000,1000,1600,6000,0,0,300,250,50,40,1400,1200\n"
        << "Maison Tremblay,2021,2361,300,800,2500,400,900,1500,100,1500,5000,5000,900,600,40,560,470,3600,2000\n"
        << "Old Year,2010,7221,500,500,300,1200,700,900,300,600,4000,3900,2500,200,60,140,110,1300,800\n"
        << "Unbalanced,2022,7221,500,500,300,1200,700,900,300,0,4000,3900,2500,200,60,140,110,1300,800\n";
    CliResult mine = cli({"--industry-store", store, "--user-store", tmp.filePath("myData.mdb"), "compare", "--dataset",
                    "optVol3", "--values", values});
    QProcess p;
    p.start("/usr/bin/python3", {QString::fromStdString(std::string(ZORVA_SOURCE_DIR) + "/bench/compare_reference.py"),
                                 QString::fromStdString(BuiltAppDir()), "3", "ALL", "7221", values, store});
    ASSERT_TRUE(p.waitForFinished(120000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<QJsonObject> reference;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (auto d = QJsonDocument::fromJson(line); d.isObject()) reference.push_back(d.object());
    ASSERT_EQ(mine.objects.size(), 6u) << mine.out << mine.err;
    ASSERT_EQ(reference.size(), mine.objects.size());
    EXPECT_NE(mine.objects[4].value("error").toString().toStdString().find("2021 and 2023"), std::string::npos)
        << mine.out;
    for (size_t i = 0; i < reference.size(); ++i) {
        for (const QString& key : reference[i].keys()) {
            const QJsonValue want = reference[i].value(key), got = mine.objects[i].value(key);
            if (want.isDouble() && got.isDouble())
                EXPECT_NEAR(got.toDouble(), want.toDouble(), 1e-9 * std::max(1.0, std::abs(want.toDouble())))
                    << "row " << i << " " << key.toStdString();
            else  // a refused row's year may come as a number or as its text
                EXPECT_EQ(got.toVariant().toString(), want.toVariant().toString())
                    << "row " << i << " " << key.toStdString();
        }
    }
}

} // namespace
