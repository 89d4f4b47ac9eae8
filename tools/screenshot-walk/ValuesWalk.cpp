#include "ValuesWalk.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/Services.h"
#include "ui/QtServices.h"
#include "ui/ScreenBase.h"
#include "enterprise/LineItemDefinitions.h"
#include "enterprise/ImportFlow.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ui/frmBooksPreview.h"
#include "enterprise/ui/frmMyValues.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "reports/ui/frmReportViewer.h"
#include "selection/ui/frmSearch.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <iostream>
#include <memory>

namespace zorva::walk {

namespace {

void settle(int ms = 150) { QTest::qWait(ms); }

// Answers the walk's own message boxes ("Data has been saved.") with their
// default button, so that nothing waits for a click.
class AnswerDefault : public MessageService {
public:
    MsgAnswer show(const std::string&, const std::string&, MsgButtons buttons, MsgIcon) override {
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::OK;
    }
};

void waitActive(ScreenBase& w, int before) {
    if (!QTest::qWaitForWindowActive(&w, 3000) || !WaitForActivation(w, before, 3000))
        std::cerr << "window did not become active: " << w.objectName().toStdString() << "\n";
    settle();
}

// A small balanced statement, typed along the Enter chain.
void typeStatement(frmMyValues& values, bool french) {
    auto* name = values.findChild<QLineEdit*>("txtFirmName");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, french ? QString::fromUtf8("Boulangerie du Havre") : "Harbourview Fine Foods");
    const std::pair<Field, const char*> amounts[] = {
        {Field::Cash, "85000"},         {Field::Ar, "121000"},           {Field::Inv, "314000"},
        {Field::CA, "360000"},          {Field::OA, "40000"},            {Field::Invest, "50000"},
        {Field::Ptfl, "30000"},         {Field::AccountsPayable, "213000"}, {Field::Mtg, "120000"},
        {Field::Ol, "102000"},          {Field::AmtsAffil, "65000"},     {Field::OLiab, "20000"},
        {Field::DefTax, "5000"},        {Field::ShareC, "50000"},        {Field::RetEarn, "-25000"},
        {Field::OtherSur, "450000"},    {Field::CurrentAssets, "570000"}, {Field::CurrentLiabilities, "313000"},
        {Field::OperatingRevenue, "2480000"}, {Field::Sales, "2400000"}, {Field::GrossProfit, "563000"},
        {Field::OperatingProfit, "129000"},   {Field::InterestExpense, "36500"}, {Field::PretaxProfit, "101700"},
        {Field::ProfitAfterTax, "84300"}};
    for (const auto& [field, amount] : amounts) {
        QLineEdit* box = values.ValueBox(field);
        box->setFocus(Qt::TabFocusReason);
        box->selectAll();
        QTest::keyClicks(box, QString::fromLatin1(amount));
        QTest::keyClick(box, Qt::Key_Return);
    }
    values.findChild<QComboBox*>("cboYear")->setFocus();
}

} // namespace

bool ViewerShot(const SaveFn& save, const std::function<void()>& open, const QString& name,
                const QString& pagesName) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget());
        if (!viewer || seen || !viewer->isVisible()) return;
        seen = true;
        viewer->ShowView(frmReportViewer::View::Reading);
        settle(300);
        save(viewer, name);
        if (!pagesName.isEmpty()) {
            viewer->ShowView(frmReportViewer::View::Pages);
            settle(300);
            save(viewer, pagesName);
            viewer->ShowView(frmReportViewer::View::Reading);
        }
        if (auto* back = viewer->findChild<QAbstractButton*>("btnBack")) back->click();
    });
    poll.start(50);
    open();
    settle();
    if (!seen) std::cerr << "the report viewer did not come up for " << name.toStdString() << "\n";
    return seen;
}

void WalkValuesScreens(const SaveFn& save, const QString& suffix) {
    const bool french = suffix == "fr";
    auto previous = services().messages;
    services().messages = std::make_shared<AnswerDefault>();

    // Enter new data: the values screen, fresh.
    frmSearch& search = frmSearch::instance();
    frmMyValues& values = frmMyValues::instance();
    int before = values.ActivationCount();
    values.Show();
    waitActive(values, before);
    save(&values, "values-empty-" + suffix);

    typeStatement(values, french);
    settle();
    save(&values, "values-filled-" + suffix);

    // Saved twice (two years), then the list of stored records.
    const std::string name = values.fncRecordFromControls()[Field::FirmName];
    values.subSave_Firm_Record(true);
    const Edition& edition = CurrentEdition();
    values.findChild<QComboBox*>("cboYear")->setEditText(QString::number(edition.Year(1)));
    values.subSave_Firm_Record(true);
    values.findChild<QAction*>("mnuOpen")->trigger();
    settle();
    if (auto* list = ExistingScreen<frmOpenExisting>()) {
        waitActive(*list, 0);
        save(list, "open-existing-" + suffix);
        list->close();
        settle();
    } else {
        std::cerr << "the open-existing list did not come up\n";
    }

    // The comparison report of the statement, and the trend of its two saved years.
    ViewerShot(save, [&] { values.findChild<QAction*>("mnuReport")->trigger(); }, "viewer-comparison-" + suffix,
               "viewer-pages-" + suffix);
    ViewerShot(save, [&] { values.mnuTrend->trigger(); }, "viewer-trend-" + suffix);

    // One definition, as its message box shows it.
    const LineItemDefinition d = Definition(Field::AccountsPayable, gintLanguage);
    QMessageBox box(QMessageBox::Information, qs(d.title), qs(d.body), QMessageBox::Ok, &values);
    box.show();
    settle();
    save(&box, "definition-box-" + suffix);
    box.close();
    settle();

    // The books preview of a trial balance as another accounting program
    // exports it: the suggestions, their rules, those from the name alone.
    const QString trial = QDir::temp().filePath(french ? "zorva-balance-fr.csv" : "zorva-balance-en.csv");
    {
        QFile f(trial);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(french ? QByteArray("\"N\xb0 de compte\";\"Description du compte\";\"D\xe9" "bits\";\"Cr\xe9" "dits\"\r\n"
                                        "\"1060\";\"Compte de ch\xe8ques\";\"67 800,00\";\"\"\r\n"
                                        "\"1200\";\"Comptes clients\";\"34 000,00\";\"\"\r\n"
                                        "\"1520\";\"Stocks\";\"5 000,00\";\"\"\r\n"
                                        "\"1820\";\"Mobilier et mat\xe9riel de bureau\";\"30 000,00\";\"\"\r\n"
                                        "\"1825\";\"Amort. cumul\xe9 - mobilier et mat\xe9riel\";\"\";\"6 000,00\"\r\n"
                                        "\"2100\";\"Comptes fournisseurs\";\"\";\"23 000,00\"\r\n"
                                        "\"2310\";\"TPS per\xe7ue sur les ventes\";\"\";\"2 500,00\"\r\n"
                                        "\"2920\";\"Dettes bancaires \xe0 long terme\";\"\";\"35 000,00\"\r\n"
                                        "\"3560\";\"Capital-actions\";\"\";\"50 000,00\"\r\n"
                                        "\"\";\"Ventes\";\"\";\"110 000,00\"\r\n"
                                        "\"\";\"Revenus d'int\xe9r\xea" "ts\";\"\";\"300,00\"\r\n"
                                        "\"5010\";\"Co\xfbt des marchandises vendues\";\"55 000,00\";\"\"\r\n"
                                        "\"5410\";\"Salaires\";\"20 000,00\";\"\"\r\n"
                                        "\"5690\";\"Loyer\";\"12 000,00\";\"\"\r\n"
                                        "\"5910\";\"Imp\xf4ts sur le revenu\";\"3 000,00\";\"\"\r\n"
                                        "\"Total\";\"\";\"226 800,00\";\"226 800,00\"\r\n")
                           : QByteArray("Trial Balance\nNorthwind Trading Ltd.\n\"As of December 31, 2010\"\n\n"
                                        ",Debit,Credit\nChecking,\"66,300.00\",\nAccounts Receivable (A/R),\"34,000.00\",\n"
                                        "Inventory Asset,\"5,000.00\",\nTruck:Original Cost,\"30,000.00\",\n"
                                        "Truck:Depreciation,,\"6,000.00\"\nAccounts Payable (A/P),,\"23,000.00\"\n"
                                        "GST/HST Payable,,\"2,500.00\"\nLoan Payable,,\"35,000.00\"\n"
                                        "Opening Balance Equity,,\"50,000.00\"\nSales of Product Income,,\"110,000.00\"\n"
                                        "Interest Earned,,300.00\nCost of Goods Sold,\"55,000.00\",\n"
                                        "Payroll Expenses:Wages,\"20,000.00\",\nRent or Lease,\"12,000.00\",\n"
                                        "Legal & Professional Services,\"1,500.00\",\nIncome Tax Expense,\"3,000.00\",\n"
                                        "TOTAL,\"226,800.00\",\"226,800.00\"\n"));
    }
    bool previewSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<frmBooksPreview*>(QApplication::activeModalWidget());
        if (!preview || previewSeen || !preview->isVisible()) return;
        previewSeen = true;
        // Wide enough for the reasons column beside the line items.
        const QRect screen = preview->screen()->availableGeometry();
        preview->resize(screen.width() - 10, preview->height());
        settle(300);
        if (auto* accounts = preview->findChild<QTableView*>("tblAccounts")) {
            accounts->horizontalScrollBar()->setValue(accounts->horizontalScrollBar()->maximum());
            accounts->verticalScrollBar()->setValue(accounts->verticalScrollBar()->maximum());
        }
        settle(150);
        save(preview, "books-preview-" + suffix);
        preview->reject();
    });
    poll.start(50);
    values::ImportBooksFile(values, gcnUser, trial.toStdString());
    poll.stop();
    settle();
    if (!previewSeen) std::cerr << "the books preview did not come up\n";
    QFile::remove(trial);

    // The records made here go again; back to the search screen.
    for (std::int16_t year : {edition.Year(0), edition.Year(1)}) store::DeleteRecord(gcnUser, name, year);
    values.subInitializeValues();
    before = search.ActivationCount();
    values.findChild<QAction*>("mnuReturnSearch")->trigger();
    waitActive(search, before);
    services().messages = previous;
}

} // namespace zorva::walk
