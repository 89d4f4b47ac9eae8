#include "ValuesWalk.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/Services.h"
#include "ui/QtServices.h"
#include "ui/ScreenBase.h"
#include "enterprise/LineItemDefinitions.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ui/frmMyValues.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "reports/ui/frmReportViewer.h"
#include "selection/ui/frmSearch.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
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

    // The records made here go again; back to the search screen.
    for (std::int16_t year : {edition.Year(0), edition.Year(1)}) store::DeleteRecord(gcnUser, name, year);
    values.subInitializeValues();
    before = search.ActivationCount();
    values.findChild<QAction*>("mnuReturnSearch")->trigger();
    waitActive(search, before);
    services().messages = previous;
}

} // namespace zorva::walk
