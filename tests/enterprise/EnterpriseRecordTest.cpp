// The enterprise record as the values screen handles it: subtotals, the key
// filter, leaving a box, the preparation for statements, the checks before a
// comparison and the comparison values.

#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"

#include <gtest/gtest.h>

using namespace zorva;

namespace {

RecordTexts zeroRecord() {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = "Acme";
    r[Field::Year] = "2010";
    r[Field::NAICS] = "111";
    return r;
}

// A record in balance: assets 1000, liabilities 600, equity 400.
RecordTexts balancedRecord() {
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "1000";
    r[Field::AccountsPayable] = "600";
    r[Field::ShareC] = "400";
    EXPECT_TRUE(subCalculateSubTotals(r));
    return r;
}

const NumberLocale kEnglish = NumberLocale::English();
const NumberLocale kFrench = NumberLocale::French();

} // namespace

// ---------------------------------------------------------------- fields

TEST(RecordFields, ColumnOrderAndNamesOfMyValues) {
    EXPECT_EQ(kFieldCount, 35);
    EXPECT_STREQ(ColumnName(Field::FirmName), "FirmName");
    EXPECT_STREQ(ColumnName(Field::Cash), "Cash");
    EXPECT_STREQ(ColumnName(Field::CurrentLiabilities), "CurrentLiabilities");
    EXPECT_EQ(ValueFields().size(), 32u);
    EXPECT_EQ(ValueFields().front(), Field::Cash);
    EXPECT_EQ(FieldByColumn("interestexpense"), Field::InterestExpense);
    EXPECT_EQ(FieldByColumn("TOTLIABSHAREEQ"), Field::TotLiabShareEq);
    EXPECT_FALSE(FieldByColumn("Bogus"));
    EXPECT_STREQ(ControlName(Field::Year), "cboYear");
    EXPECT_EQ(CaptionId(Field::Equity1), 198);
    int computed = 0;
    for (Field f : ValueFields()) computed += IsComputed(f);
    EXPECT_EQ(computed, 5);
}

TEST(RecordFields, EnterMovesAlongTheChain) {
    EXPECT_EQ(NextFieldOnEnter(Field::Cash), Field::Ar);
    EXPECT_EQ(NextFieldOnEnter(Field::Ptfl), Field::AccountsPayable);
    EXPECT_EQ(NextFieldOnEnter(Field::ProfitAfterTax), Field::AccountsPayable);
    EXPECT_EQ(NextFieldOnEnter(Field::DefTax), Field::ShareC);
    EXPECT_EQ(NextFieldOnEnter(Field::OtherSur), Field::CurrentAssets);
    EXPECT_EQ(NextFieldOnEnter(Field::CurrentLiabilities), Field::OperatingRevenue);
    // The locked subtotals move on too.
    EXPECT_EQ(NextFieldOnEnter(Field::Toa), Field::Invest);
    EXPECT_EQ(NextFieldOnEnter(Field::Ta), Field::AccountsPayable);
    EXPECT_EQ(NextFieldOnEnter(Field::Tliab), Field::ShareC);
    EXPECT_EQ(NextFieldOnEnter(Field::Equity1), Field::CurrentAssets);
    EXPECT_EQ(NextFieldOnEnter(Field::TotLiabShareEq), Field::CurrentAssets);
}

TEST(RecordFields, InitialStateInEachLanguage) {
    RecordTexts r;
    r[Field::Year] = "2009";
    r[Field::Cash] = "12";
    r[Field::NAICS] = "111";
    InitializeValues(r, 1);
    EXPECT_EQ(r[Field::FirmName], "Entrer un nom d’entreprise ici");
    EXPECT_EQ(r[Field::Year], "2009");  // the year is not touched
    EXPECT_EQ(r[Field::NAICS], "");
    for (Field f : ValueFields()) EXPECT_EQ(r[f], "0") << ColumnName(f);
    InitializeValues(r, 0);
    EXPECT_EQ(r[Field::FirmName], "Enter an Enterprise Name Here");
}

// ---------------------------------------------------------------- subtotals

TEST(Subtotals, AllZeroGivesZero) {
    Subtotals s = CalculateSubTotals(zeroRecord());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.Toa, "0");
    EXPECT_EQ(s.Ta, "0");
    EXPECT_EQ(s.Tliab, "0");
    EXPECT_EQ(s.Equity1, "0");
    EXPECT_EQ(s.TotLiabShareEq, "0");
}

TEST(Subtotals, CashAndShareCapital) {
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "1000";
    r[Field::ShareC] = "1000";
    ASSERT_TRUE(subCalculateSubTotals(r));
    EXPECT_EQ(r[Field::Toa], "1000");
    EXPECT_EQ(r[Field::Ta], "1000");
    EXPECT_EQ(r[Field::Tliab], "0");
    EXPECT_EQ(r[Field::Equity1], "1000");
    EXPECT_EQ(r[Field::TotLiabShareEq], "1000");
}

TEST(Subtotals, EveryOperandCountsInItsTotal) {
    RecordTexts r = zeroRecord();
    int k = 1;
    for (Field f : ValueFields())
        if (!IsComputed(f)) r[f] = std::to_string(k++);
    ASSERT_TRUE(subCalculateSubTotals(r));
    // Cash 1, Ar 2, Inv 3, CA 4, OA 5; Invest 6, Ptfl 7; income 8..14;
    // AccountsPayable 15 ... DefTax 22; ShareC 23, RetEarn 24, OtherSur 25.
    EXPECT_EQ(r[Field::Toa], "15");
    EXPECT_EQ(r[Field::Ta], "28");
    EXPECT_EQ(r[Field::Tliab], "148");
    EXPECT_EQ(r[Field::Equity1], "72");
    EXPECT_EQ(r[Field::TotLiabShareEq], "220");
}

TEST(Subtotals, LargeTotalsAreWrittenInFullNotInScientificNotation) {
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "12345678";
    ASSERT_TRUE(subCalculateSubTotals(r));
    EXPECT_EQ(r[Field::Toa], "12345678");  // a 32-bit float would give 1.234568E+07
    EXPECT_EQ(r[Field::Ta], "12345678");
}

TEST(Subtotals, CentsAboveAHundredThousandDollarsAreKept) {
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "123456.78";
    r[Field::Ar] = ".01";
    r[Field::RetEarn] = "-0.5";
    r[Field::ShareC] = "250000.25";
    ASSERT_TRUE(subCalculateSubTotals(r));
    EXPECT_EQ(r[Field::Toa], "123456.79");
    EXPECT_EQ(r[Field::Equity1], "249999.75");
}

TEST(Subtotals, ABalancedStatementAboveTenMillionStaysBalanced) {
    // With 32-bit floats: Ta "1E+07" against TotLiabShareEq "1.000001E+07".
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "10000004";
    r[Field::Invest] = "4";
    r[Field::AccountsPayable] = "10000008";
    ASSERT_TRUE(subCalculateSubTotals(r));
    EXPECT_EQ(r[Field::Ta], "10000008");
    EXPECT_EQ(r[Field::TotLiabShareEq], "10000008");
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Ok);
}

TEST(Subtotals, OperandsAreReadWithTheLeadingNumberReading) {
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "12abc";
    r[Field::Ar] = "";
    r[Field::Inv] = "1,5";
    r[Field::CA] = "0.00005";  // rounds to 0
    r[Field::OA] = "0.00015";  // rounds to .0002
    ASSERT_TRUE(subCalculateSubTotals(r));
    EXPECT_EQ(r[Field::Toa], "13.0002");
}

TEST(Subtotals, OutOfRangeIsRefusedAndLeavesTheRecordAlone) {
    RecordTexts r = zeroRecord();
    r[Field::Cash] = "922337203685477";
    r[Field::Ar] = "1";
    Subtotals s = CalculateSubTotals(r);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.messageId, 918);
    EXPECT_FALSE(subCalculateSubTotals(r));
    EXPECT_EQ(r[Field::Toa], "0");

    r = zeroRecord();
    r[Field::ShareC] = "1e20";
    EXPECT_FALSE(CalculateSubTotals(r).ok);
}

// ---------------------------------------------------------------- key filter

TEST(KeyFilter, EnterNormalisesAndMovesOn) {
    KeyDecision d = subHandleKeyPressDecision(kKeyEnter, "0012", 0, 0, kEnglish);
    EXPECT_EQ(d.action, KeyAction::Enter);
    EXPECT_EQ(d.text, "12");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyEnter, "abc", 0, 0, kEnglish).text, "0");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyEnter, "1.23456", 0, 0, kFrench).text, "1.2346");
    KeyDecision big = subHandleKeyPressDecision(kKeyEnter, "1e30", 0, 0, kEnglish);
    EXPECT_EQ(big.action, KeyAction::Refuse);
    EXPECT_EQ(big.messageId, 918);
}

TEST(KeyFilter, MinusAlwaysEndsNegative) {
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "150", 0, 0, kEnglish).text, "-150");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "-150", 0, 0, kEnglish).text, "-150");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "0", 0, 0, kEnglish).text, "-");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "", 0, 0, kEnglish).text, "-");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "-", 0, 0, kEnglish).text, "-");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "0.5", 0, 0, kEnglish).text, "-.5");
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "1-5", 0, 0, kEnglish).text, "-15");  // every "-" dropped
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "150", 0, 0, kEnglish).action, KeyAction::Minus);
}

TEST(KeyFilter, MinusRemovesTheSelectionFirst) {
    // "1500" with the 5 selected.
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "1500", 1, 1, kEnglish).text, "-100");
    // The whole text selected.
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "1500", 0, 4, kEnglish).text, "-");
    // Selection counted in characters, not bytes.
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "é15", 1, 1, kEnglish).text, "-");  // "é5" reads as 0
    EXPECT_EQ(subHandleKeyPressDecision(kKeyMinus, "15é", 2, 1, kEnglish).text, "-15");
}

TEST(KeyFilter, MinusUnderAFrenchLocaleStillWritesAPoint) {
    // Written with the locale's comma, -12,5 would read back as -12 when the
    // box is left; the number text form keeps the fraction.
    KeyDecision d = subHandleKeyPressDecision(kKeyMinus, "12.5", 0, 0, kFrench);
    EXPECT_EQ(d.text, "-12.5");
    EXPECT_EQ(CheckNumericField(d.text).text, "-12.5");
}

TEST(KeyFilter, DigitsBackspaceAndThePointAreAccepted) {
    for (int k = '0'; k <= '9'; ++k) {
        EXPECT_EQ(subHandleKeyPressDecision(k, "1", 0, 0, kEnglish).action, KeyAction::Accept);
        EXPECT_EQ(subHandleKeyPressDecision(k, "1", 0, 0, kFrench).key, k);
    }
    EXPECT_EQ(subHandleKeyPressDecision(kKeyBackspace, "1", 0, 0, kEnglish).action, KeyAction::Accept);
    EXPECT_EQ(subHandleKeyPressDecision('.', "1", 0, 0, kEnglish).key, '.');
    EXPECT_EQ(subHandleKeyPressDecision('.', "1", 0, 0, kFrench).action, KeyAction::Accept);
}

TEST(KeyFilter, TheFrenchDecimalCommaTypesAPoint) {
    KeyDecision d = subHandleKeyPressDecision(',', "12", 2, 0, kFrench);
    EXPECT_EQ(d.action, KeyAction::Accept);
    EXPECT_EQ(d.key, '.');
    // In English a comma would end the number: refused.
    EXPECT_EQ(subHandleKeyPressDecision(',', "12", 2, 0, kEnglish).action, KeyAction::Refuse);
}

TEST(KeyFilter, OtherKeysAreRefusedWithTheMessage) {
    for (int k : {int('a'), int('Z'), int(' '), int('+'), int('$'), 22 /* Ctrl+V */, 3 /* Ctrl+C */, 0x00E9}) {
        KeyDecision d = subHandleKeyPressDecision(k, "12", 0, 0, kEnglish);
        EXPECT_EQ(d.action, KeyAction::Refuse) << k;
        EXPECT_EQ(d.messageId, kMsgPleaseEnterNumber);
    }
    EXPECT_EQ(Txt(kMsgPleaseEnterNumber, 0), "Please enter a number");
    EXPECT_EQ(Txt(kMsgPleaseEnterNumber, 1), "Veuillez entrer un nombre");
}

TEST(NumericTest, DependsOnTheLocalesDecimalMark) {
    EXPECT_TRUE(IsNumericText("5", kEnglish));
    EXPECT_TRUE(IsNumericText("5", kFrench));
    EXPECT_TRUE(IsNumericText("12.5", kEnglish));
    EXPECT_FALSE(IsNumericText("12.5", kFrench));
    EXPECT_TRUE(IsNumericText("12,5", kFrench));
    EXPECT_TRUE(IsNumericText(" -3 ", kEnglish));
    EXPECT_FALSE(IsNumericText(".", kEnglish));
    EXPECT_FALSE(IsNumericText(",", kFrench));
    EXPECT_FALSE(IsNumericText("", kEnglish));
    EXPECT_FALSE(IsNumericText("1a", kEnglish));
}

// ---------------------------------------------------------------- leaving a box

TEST(LeavingABox, NormalisesUnderBothLocales) {
    EXPECT_EQ(CheckNumericField("").text, "0");
    EXPECT_EQ(CheckNumericField("0012").text, "12");
    EXPECT_EQ(CheckNumericField("12abc").text, "12");
    EXPECT_EQ(CheckNumericField("abc").text, "0");
    EXPECT_EQ(CheckNumericField("-").text, "0");
    // A fraction is kept and accepted whatever the desktop's locale.
    NumberTextResult r = CheckNumericField("12.5");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, "12.5");
    EXPECT_FALSE(CheckNumericField("1e16").ok);
}

TEST(PrepareForStatements, EmptyBecomesZeroAndCommasBecomePoints) {
    RecordTexts r = zeroRecord();
    r[Field::FirmName] = "Smith, Jones";
    r[Field::Cash] = "";
    r[Field::Toa] = "1,5";
    r[Field::CurrentLiabilities] = "";
    subRemoveBlanksCommas(r);
    EXPECT_EQ(r[Field::Cash], "0");
    EXPECT_EQ(r[Field::Toa], "1.5");
    EXPECT_EQ(r[Field::CurrentLiabilities], "0");
    EXPECT_EQ(r[Field::FirmName], "Smith, Jones");  // not a value: untouched
    EXPECT_EQ(r[Field::NAICS], "111");
}

// ---------------------------------------------------------------- checks

TEST(ComparisonChecks, YearsOutsideTheListAreRefused) {
    RecordTexts r = balancedRecord();
    for (const char* y : {"2011", "207", "2007", "", "abc", " 2009"}) {
        r[Field::Year] = y;
        EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::YearOutOfRange) << y;
    }
    EXPECT_EQ(ComparisonCheckMessage(ComparisonCheck::YearOutOfRange, 0),
              "Invalid year.  Year must be between 2008 and 2010");
    EXPECT_EQ(ComparisonCheckMessage(ComparisonCheck::YearOutOfRange, 1),
              "Année non valide. L'année doit se situer entre 2008 et 2010");
}

TEST(ComparisonChecks, AYearThatSortsInsideButIsNotAReferenceYearIsRefused) {
    RecordTexts r = balancedRecord();
    for (const char* y : {"201", "2009.5", "2008a", "2009.0"}) {
        r[Field::Year] = y;
        EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::YearNotWhole) << y;
    }
    EXPECT_EQ(ComparisonCheckMessage(ComparisonCheck::YearNotWhole, 0), "The reference year must be 2008, 2009 or 2010.");
    for (const char* y : {"2008", "2009", "2010"}) {
        r[Field::Year] = y;
        EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Ok) << y;
    }
}

TEST(ComparisonChecks, TheTotalsMustBalanceExactly) {
    RecordTexts r = balancedRecord();
    r[Field::Ta] = "100";
    r[Field::TotLiabShareEq] = "90";
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Unbalanced);
    r[Field::TotLiabShareEq] = "100.0001";
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Unbalanced);
    r[Field::TotLiabShareEq] = "100.00001";  // below the fourth decimal: equal
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Ok);
    EXPECT_EQ(ComparisonCheckMessageId(ComparisonCheck::Unbalanced), 550);
    EXPECT_EQ(ComparisonCheckMessage(ComparisonCheck::Unbalanced, 0),
              "Total Assets is not equal Total Liabilities and Shareholders' Equity");
}

TEST(ComparisonChecks, TheYearComesBeforeTheBalance) {
    RecordTexts r = balancedRecord();
    r[Field::Year] = "2011";
    r[Field::TotLiabShareEq] = "1";
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::YearOutOfRange);
}

TEST(ComparisonChecks, AnEmptyNameIsRefusedButThePlaceholderPasses) {
    RecordTexts r = balancedRecord();
    r[Field::FirmName] = "";
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::NoName);
    EXPECT_EQ(ComparisonCheckMessage(ComparisonCheck::NoName, 1), "Veuillez entrer le nom de l'entreprise");
    r[Field::FirmName] = Txt(544, 0);
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Ok);
}

TEST(ComparisonChecks, ZeroTotalAssetsInBalanceAreRefused) {
    RecordTexts r = zeroRecord();
    ASSERT_TRUE(subCalculateSubTotals(r));
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::NoTotalAssets);
    EXPECT_EQ(ComparisonCheckMessage(ComparisonCheck::NoTotalAssets, 0), "Please enter your enterprise values");
    // The name check comes first.
    r[Field::FirmName] = "";
    EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::NoName);
}

TEST(ComparisonChecks, ReferenceYear) {
    EXPECT_EQ(ReferenceYear("2009"), 2009);
    EXPECT_EQ(ReferenceYear(" 2010 "), 2010);
    EXPECT_FALSE(ReferenceYear("2011"));
    EXPECT_FALSE(ReferenceYear("02009"));
    EXPECT_FALSE(ReferenceYear("2009.0"));
}

// ---------------------------------------------------------------- comparison values

TEST(ComparisonValues, LayoutOfTheThirtySevenTexts) {
    RecordTexts r = zeroRecord();
    r[Field::FirmName] = "O'Hara";
    r[Field::Year] = "2009";
    int k = 100;
    for (Field f : ValueFields()) r[f] = std::to_string(k++);
    auto v = BuildComparisonValues(r, "111", "  Crop production  ");
    ASSERT_EQ(v.size(), 37u);
    EXPECT_EQ(v[0], "O'Hara");
    EXPECT_EQ(v[1], "2009");
    EXPECT_EQ(v[2], "111");
    EXPECT_EQ(v[3], "Crop production");
    EXPECT_EQ(v[4], r[Field::Cash]);
    EXPECT_EQ(v[9], r[Field::Toa]);
    EXPECT_EQ(v[12], r[Field::Ta]);
    EXPECT_EQ(v[13], r[Field::OperatingRevenue]);
    EXPECT_EQ(v[14], r[Field::Sales]);
    EXPECT_EQ(v[19], r[Field::ProfitAfterTax]);
    EXPECT_EQ(v[20], r[Field::AccountsPayable]);
    EXPECT_EQ(v[21], "");
    EXPECT_EQ(v[22], r[Field::Paper]);
    EXPECT_EQ(v[29], r[Field::Tliab]);
    EXPECT_EQ(v[33], r[Field::Equity1]);
    EXPECT_EQ(v[34], r[Field::TotLiabShareEq]);
    EXPECT_EQ(v[36], r[Field::CurrentLiabilities]);
}
