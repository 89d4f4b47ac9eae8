// The help files as built into the application folder, and the help viewer
// driven offscreen: topics, links, pictures, the find box, and the ratio
// formulas and line-item definitions against what the program itself uses.
// The help builder run on sources of the tests' own: what it refuses to build.
#include "support/AppFixture.h"

#include "HelpFile.h"
#include "HelpWindow.h"

#include "core/DBTools.h"
#include "core/Globals.h"
#include "core/HelpTopics.h"
#include "core/MessageIds.h"
#include "core/modMain.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"
#include "reports/prep/ReportPrep.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#include <cmath>
#include <functional>
#include <map>

namespace zorva::test {
namespace {

const QStringList kFiles = {"ZORV_ConceptsHelp_Eng.chm", "ZORV_ConceptsHelp_Fre.chm", "ZORV_Tech_Help_Eng.chm",
                            "ZORV_Tech_Help_Fre.chm"};

QString built(const QString& name) { return QString::fromStdString(BuiltAppDir()) + "/" + name; }

hh::HelpFile load(const QString& name) {
    hh::HelpFile f;
    EXPECT_TRUE(f.load(built(name))) << name.toStdString() << ": " << f.errorText().toStdString();
    return f;
}

QList<int> ids(const hh::HelpFile& f) {
    QList<int> out;
    for (const hh::Topic& t : f.topics()) out.append(t.id);
    return out;
}

TEST(HelpFiles, BothLanguagesHoldTheSameTopicsAndTheOnesTheProgramOpens) {
    const hh::HelpFile conceptsEn = load(kFiles[0]), conceptsFr = load(kFiles[1]);
    const hh::HelpFile techEn = load(kFiles[2]), techFr = load(kFiles[3]);
    EXPECT_EQ(ids(conceptsEn), ids(conceptsFr));
    EXPECT_EQ(ids(techEn), ids(techFr));
    EXPECT_EQ(conceptsEn.language(), hh::Lang::English);
    EXPECT_EQ(conceptsFr.language(), hh::Lang::French);
    using namespace HelpTopic;
    for (long topic : {kStartScreen, kMainMenu, kSearch, kIndustryDefinition, kValues, kOpenExisting, kLineItems,
                       kRatios, kQuartiles, kReportViewer, kLimits, kAbout, kLicence})
        EXPECT_NE(conceptsEn.topic(int(topic)), nullptr) << topic;
    for (long topic : {kTechStart, kMessages, kTroubleshooting}) EXPECT_NE(techFr.topic(int(topic)), nullptr) << topic;
}

TEST(HelpFiles, EveryLinkAndPictureResolves) {
    std::map<QString, hh::HelpFile> files;
    for (const QString& name : kFiles) files[name] = load(name);
    static const QRegularExpression link(R"re(href="([^"]*)")re");
    static const QRegularExpression picture(R"re(src="helpimg:(\d+)")re");
    int links = 0, pictures = 0;
    for (const auto& [name, file] : files) {
        for (const hh::Topic& t : file.topics()) {
            auto it = link.globalMatch(t.html);
            while (it.hasNext()) {
                const QString href = it.next().captured(1);
                if (href.startsWith("http") || href.startsWith("mailto:")) continue;
                const QString target = href.section('#', 0, 0);
                const int topic = href.section("#topic-", 1).toInt();
                ASSERT_TRUE(target.isEmpty() || files.count(target)) << name.toStdString() << " " << href.toStdString();
                const hh::HelpFile& in = target.isEmpty() ? file : files[target];
                EXPECT_NE(in.topic(topic), nullptr) << name.toStdString() << " topic " << t.id << ": " << href.toStdString();
                ++links;
            }
            auto pics = picture.globalMatch(t.html);
            while (pics.hasNext()) {
                EXPECT_FALSE(QImage::fromData(file.picture(pics.next().captured(1).toInt())).isNull()) << t.id;
                ++pictures;
            }
        }
    }
    EXPECT_GT(links, 50);
    EXPECT_GE(pictures, 8);  // the three reports in each concepts help
}

// The line items' definitions are those of the values screen, in each language.
TEST(HelpFiles, LineItemDefinitionsAreTheValuesScreens) {
    for (int lang : {0, 1}) {
        const hh::HelpFile f = load(kFiles[lang]);
        const QString text = f.plainText(*f.topic(int(HelpTopic::kLineItems))).simplified();
        for (int k = 0; k < 32; ++k) {
            const QStringList paragraphs =
                QString::fromStdString(LoadResString(1102 + 4 * k + lang)).split("\n\n", Qt::SkipEmptyParts);
            for (const QString& p : paragraphs)
                EXPECT_TRUE(text.contains(p.simplified())) << "item " << k << " lang " << lang << ": " << p.toStdString();
        }
    }
}

// Evaluates a formula of data/help/ratios.txt over the record's amounts.
double evaluate(const QString& formula, const std::function<double(const QString&)>& value) {
    static const QRegularExpression token(R"(\s*([A-Za-z][A-Za-z0-9]*|[0-9.]+|[-+*/()]))");
    QStringList tokens;
    for (auto it = token.globalMatch(formula); it.hasNext();) tokens.append(it.next().captured(1));
    int at = 0;
    std::function<double()> sum, product, factor;
    factor = [&]() -> double {
        const QString t = tokens.value(at++);
        if (t == "(") {
            const double v = sum();
            ++at;  // ")"
            return v;
        }
        return t[0].isLetter() ? value(t) : t.toDouble();
    };
    product = [&]() -> double {
        double v = factor();
        while (at < tokens.size() && (tokens[at] == "*" || tokens[at] == "/")) v = tokens[at++] == "*" ? v * factor() : v / factor();
        return v;
    };
    sum = [&]() -> double {
        double v = product();
        while (at < tokens.size() && (tokens[at] == "+" || tokens[at] == "-")) v = tokens[at++] == "+" ? v + product() : v - product();
        return v;
    };
    return sum();
}

using HelpRatios = AppFixture;

// The formulas the help shows are the comparison's: each one, computed on an
// enterprise, gives the ratio the comparison report stores.
TEST_F(HelpRatios, FormulasOfTheHelpAreTheComparisons) {
    RecordTexts record;
    InitializeValues(record, 0);
    record[Field::FirmName] = "Formula check";
    record[Field::Year] = "2010";
    record[Field::NAICS] = "1111";
    int n = 0;
    for (Field f : ValueFields())
        if (!IsComputed(f)) record[f] = std::to_string(1000 + 37 * ++n);
    ASSERT_TRUE(subCalculateSubTotals(record));
    ASSERT_TRUE(fncPrepareComparisonReport(gcnIndustry, gcnUser, "com", 3, "NS", 2010, "1111", "E",
                                           BuildComparisonValues(record, "1111", "Oilseed and grain farming")));
    auto row = GetRS(gcnUser, "select * from Rpt_Comparison", "read");
    ASSERT_EQ(row->RecordCount(), 1);

    QFile ratios(QStringLiteral(ZORVA_HELP_SOURCE_DIR) + "/ratios.txt");
    ASSERT_TRUE(ratios.open(QIODevice::ReadOnly));
    int checked = 0;
    for (const QByteArray& raw : ratios.readAll().split('\n')) {
        const QStringList cols = QString::fromUtf8(raw).split('\t');
        if (cols.size() != 4 || cols[0].startsWith('#')) continue;
        const double expected = evaluate(cols[2], [&](const QString& column) {
            auto f = FieldByColumn(column.toStdString());
            EXPECT_TRUE(f.has_value()) << column.toStdString();
            return f ? std::stod(record[*f]) : 0.0;
        });
        const double stored = row->Fields("My" + cols[0].toStdString()).toDouble();
        EXPECT_NEAR(stored, expected, 1e-9 * std::max(1.0, std::abs(expected))) << cols[0].toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 15);
}

using HelpLaunchTopic = AppFixture;

// A screen's F1: its topic of the concepts help, in the current language.
TEST_F(HelpLaunchTopic, OpensTheScreensTopicInTheCurrentLanguage) {
    gintLanguage = 1;
    ASSERT_TRUE(gsubLaunchHelpTopic("Contents", HelpTopic::kValues));
    gintLanguage = 0;
    ASSERT_TRUE(gsubLaunchHelpTopic("Tech", HelpTopic::kMessages));
    ASSERT_EQ(fakes.processes->started.size(), 2u);
    EXPECT_EQ(fakes.processes->started[0].arguments,
              (std::vector<std::string>{appDir + "/ZORV_ConceptsHelp_Fre.chm", "--topic", "1300"}));
    EXPECT_EQ(fakes.processes->started[1].arguments,
              (std::vector<std::string>{appDir + "/ZORV_Tech_Help_Eng.chm", "--topic", "2400"}));
}

// The viewer, offscreen: opens at a topic, says when a topic is unknown or a
// file missing, and its find box leads to the one topic holding a word.
TEST(HelpViewer, OpensAtATopicAndFindsTheTopicHoldingAWord) {
    hh::HelpWindow w;
    ASSERT_TRUE(w.openFile(built(kFiles[0]), 1310));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.currentTopic(), 1310);
    EXPECT_TRUE(w.windowTitle().startsWith("ZORVA Help - Saving and reopening")) << w.windowTitle().toStdString();
    EXPECT_TRUE(w.note()->isHidden());

    // A word only one topic holds, typed into the find box.
    QTest::keyClicks(w.findBox(), "STOCK-OUTS");
    QTest::keyClick(w.findBox(), Qt::Key_Return);
    ASSERT_EQ(w.results()->count(), 1);
    QListWidgetItem* hit = w.results()->item(0);
    QTest::mouseClick(w.results()->viewport(), Qt::LeftButton, {}, w.results()->visualItemRect(hit).center());
    EXPECT_EQ(w.currentTopic(), 1511);
    const auto marks = w.browser()->extraSelections();
    ASSERT_FALSE(marks.isEmpty());
    EXPECT_EQ(marks.first().cursor.selectedText().toLower(), "stock-outs");

    // "inventory" and "stocks" both reach the inventory turnover topic, in each language.
    for (const QString& name : {kFiles[0], kFiles[1]}) {
        ASSERT_TRUE(w.openFile(built(name)));
        for (const QString word : {"inventory", "stocks"}) {
            w.find(word);
            bool found = false;
            for (int i = 0; i < w.results()->count(); ++i) found |= w.results()->item(i)->data(Qt::UserRole).toInt() == 1511;
            EXPECT_TRUE(found) << name.toStdString() << " " << word.toStdString();
        }
    }
    EXPECT_EQ(w.windowTitle().section(" - ", 0, 0), "Aide de VELMO");

    // The topic shown, saved as PDF.
    const QString pdf = QString::fromStdString(MakeTempDir("zorva-help")) + "/topic.pdf";
    ASSERT_TRUE(w.saveTopicAsPdf(pdf));
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5) == "%PDF-");

    // Back returns to the topic shown before.
    ASSERT_TRUE(w.showTopic(1600));
    QTest::keyClick(&w, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(w.currentTopic(), 1000);

    // An unknown topic: the first page and a note; a missing file: its language's message.
    ASSERT_TRUE(w.openFile(built(kFiles[1]), 4242));
    EXPECT_EQ(w.currentTopic(), 1000);
    EXPECT_TRUE(w.note()->isVisible());
    EXPECT_TRUE(w.note()->text().contains("4242"));
    hh::HelpWindow other;
    EXPECT_FALSE(other.openFile("/nowhere/ZORV_Tech_Help_Fre.chm"));
    EXPECT_EQ(other.errorText(), "Le fichier d'aide est introuvable : /nowhere/ZORV_Tech_Help_Fre.chm");
}

// The help builder run on one source file, a.md, in a language.
struct HelpBuild {
    int code = -1;
    QString errors;
    QString html;
};

HelpBuild buildHelp(const QString& lang, const QString& markdown) {
    const QString dir = QString::fromStdString(MakeTempDir("zorva-helpsrc"));
    QFile source(dir + "/a.md");
    EXPECT_TRUE(source.open(QIODevice::WriteOnly));
    source.write(markdown.toUtf8());
    source.close();
    QProcess p;
    p.start(QStringLiteral(ZORVA_HELPBUILD_TOOL),
            {lang, dir, QStringLiteral(ZORVA_HELP_SOURCE_DIR) + "/ratios.txt", dir + "/out.chm"});
    EXPECT_TRUE(p.waitForFinished(60000));
    HelpBuild run{p.exitCode(), QString::fromUtf8(p.readAllStandardError()), {}};
    QFile out(dir + "/out.chm");
    if (out.open(QIODevice::ReadOnly)) run.html = QString::fromUtf8(out.readAll());
    return run;
}

// A text that would reach the reader in the wrong language or as a raw
// placeholder stops the build, and the message names the file and line.
TEST(HelpBuilder, RefusesAWrongLanguageOrARawPlaceholderNamingFileAndLine) {
    const QString head = "<!-- title: T -->\n<!-- topic 1 -->\n# T\n";  // the body starts at line 4
    struct Case {
        const char* lang;
        const char* body;
        const char* named;
    };
    for (const Case& c : {Case{"fr", "Voir {{text 2059}}.", "{{text 2058}}"},  // lands on the English text of 2060
                          Case{"en", "See {{text 2059}}.", "{{text 2058}}"},   // the French text
                          Case{"en", "See {{txt 910}}.", "{txt 910}"},         // a misspelt directive
                          Case{"fr", "Années : {Y}.", "{Y}"}}) {               // a placeholder typed in
        const HelpBuild run = buildHelp(c.lang, head + c.body + "\n");
        EXPECT_EQ(run.code, 1) << c.body;
        EXPECT_TRUE(run.errors.contains("a.md:4: ") && run.errors.contains(c.named)) << run.errors.toStdString();
    }
}

// The technical help's message list quotes every message of the program:
// one left out stops the build, naming it; with all of them it builds, code
// stays as written and a piece the program fills in shows as "…".
TEST(HelpBuilder, RefusesAMessageListThatLeavesAMessageOut) {
    const QString head = "<!-- title: T -->\n<!-- topic 2400 -->\n# Messages\n\n| Message |\n|---|\n";
    QString rows;
    for (int id : kMessageIds)
        if (id != 1812) rows += QString("| {{text %1}} |\n").arg(id);
    HelpBuild run = buildHelp("en", head + rows);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.errors.contains("a.md:2: ") && run.errors.contains("1812 (")) << run.errors.toStdString();
    EXPECT_EQ(run.errors.count(" (\""), 1) << run.errors.toStdString();

    run = buildHelp("en", head + rows + "| {{text 1812}} |\n\nWrite `{{text 910}}`.\n");
    EXPECT_EQ(run.code, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.html.contains("{{text 910}}"));
    EXPECT_FALSE(run.html.contains("{Y}"));  // message 2052 names the saved years
}

// Every id the code passes as it is in a message box's text (its first
// argument; the last is the box's title), and every kMsg... constant, is a
// message of core/MessageIds.h (the list the help builder checks).
TEST(HelpMessages, EveryMessageTheCodePassesToAMessageBoxIsListed) {
    const QSet<int> listed(std::begin(kMessageIds), std::end(kMessageIds));
    static const QRegularExpression literal(R"(\bTxt\(\s*(\d+))");
    static const QRegularExpression constant(R"(\bconstexpr\s+int\s+(kMsg\w+)\s*=\s*(\d+))");
    int found = 0;
    QDirIterator it(QStringLiteral(ZORVA_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QString code = QString::fromUtf8(f.readAll());
        for (auto m = constant.globalMatch(code); m.hasNext();) {
            const auto c = m.next();
            EXPECT_TRUE(listed.contains(c.captured(2).toInt())) << path.toStdString() << ": " << c.captured(1).toStdString();
            ++found;
        }
        for (int at = code.indexOf("MsgBox("); at >= 0; at = code.indexOf("MsgBox(", at + 1)) {
            int end = at + 6, depth = 0;  // the text: to the first comma or the end of the call
            for (; end < code.size(); ++end)
                if (code[end] == '(') ++depth;
                else if ((code[end] == ')' && --depth == 0) || (code[end] == ',' && depth == 1)) break;
            for (auto m = literal.globalMatch(code.mid(at, end - at)); m.hasNext();) {
                const int id = m.next().captured(1).toInt();
                EXPECT_TRUE(listed.contains(id)) << path.toStdString() << ": MsgBox with string " << id;
                ++found;
            }
        }
    }
    EXPECT_GT(found, 20);
}

} // namespace
} // namespace zorva::test
