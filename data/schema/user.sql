-- User data store (myData.mdb): the enterprise records the user saves, the
-- report tables the program fills before showing a report, and the fixed
-- wording those reports use.
--
-- zorva-data never replaces an existing user store: missing tables and
-- columns are added, MyValues rows are never touched, and the reference
-- tables (the *_Source title tables, Volume_Descriptions, ProvinceCodes) are
-- refreshed from data/user/*.csv. The report data tables Rpt_Data_CY,
-- Rpt_Data_CYM1 and Rpt_Data_CYM2 have the layout of ratio.sql.

-- One saved enterprise record per (FirmName, Year).
CREATE TABLE MyValues (
  FirmName TEXT,
  Year INTEGER,
  NAICS TEXT,
  Cash REAL, Ar REAL, Inv REAL, CA REAL, OA REAL, Toa REAL,
  Invest REAL, Ptfl REAL, Ta REAL,
  OperatingRevenue REAL, Sales REAL, GrossProfit REAL, OperatingProfit REAL,
  InterestExpense REAL, PretaxProfit REAL, ProfitAfterTax REAL,
  AccountsPayable REAL, Paper REAL, Mtg REAL, Bonds REAL, Ol REAL,
  AmtsAffil REAL, OLiab REAL, DefTax REAL, Tliab REAL,
  ShareC REAL, RetEarn REAL, OtherSur REAL, Equity1 REAL, TotLiabShareEq REAL,
  CurrentAssets REAL, CurrentLiabilities REAL
);

-- The line item of each account of a set of books, remembered when their
-- statement is imported (File > Import from books, zorva-cli import --books)
-- so that the next import of the same books needs no review. BookKey is
-- "gnucash:" and the book's GUID, or "file:" and the folder and name of a
-- trial balance with each run of digits as "#"; AccountKey is the account's
-- GUID, "#" and its number, or "name:" and its full name; Target is the code
-- of its line item ("Cash", "OA.current", "sales", "none"). Kept, like
-- MyValues, when the store is brought up to date.
CREATE TABLE BookMappings (
  BookKey TEXT, AccountKey TEXT, AccountName TEXT, Target TEXT
);

-- The comparison report's one row: the enterprise against its industry.
CREATE TABLE Rpt_Comparison (
  -- identification
  MyFirmName TEXT, MyYear INTEGER, MyNAICS TEXT, MyIndustry TEXT,
  -- the enterprise's balance sheet in % of its total assets, and six amounts
  MyCash REAL, MyAr REAL, MyInv REAL, MyCA REAL, MyOA REAL, MyToa REAL,
  MyInvest REAL, MyPtfl REAL, MyTa REAL,
  MyOperatingRevenue REAL, MyGrossProfit REAL, MyOperatingProfit REAL,
  MyInterestExpense REAL, MyPretaxProfit REAL, MyProfitAfterTax REAL,
  MyAccountsPayable REAL, MyPaper REAL, MyMtg REAL, MyBonds REAL, MyOl REAL,
  MyAmtsAffil REAL, MyOLiab REAL, MyDefTax REAL, MyTliab REAL,
  MyShareC REAL, MyRetEarn REAL, MyOtherSur REAL, MyEquity1 REAL,
  MyTotLiabShareEq REAL, MyCurrentAssets REAL, MyCurrentLiabilities REAL,
  -- the enterprise's fifteen ratios
  MyNPM REAL, MyPPM REAL, MyOPM REAL, MyGPM REAL, MyORTNOA REAL, MyRONOA REAL,
  MyPPTA REAL, MyROCE REAL, MyROE REAL, MyRT REAL, MyIT REAL, MyWC REAL,
  MyDE REAL, MyLTA REAL, MyIC REAL,
  -- quartile ranks: share of the industry the enterprise does better than ...
  BetterNPM REAL, BetterPPM REAL, BetterOPM REAL, BetterGPM REAL,
  BetterORTNOA REAL, BetterRONOA REAL, BetterPPA REAL, BetterRCE REAL,
  BetterRE REAL, BetterRT REAL, BetterIT REAL, BetterWC REAL, BetterDE REAL,
  BetterLTA REAL, BetterIC REAL,
  -- ... and worse than
  WorseNPM REAL, WorsePPM REAL, WorseOPM REAL, WorseGPM REAL,
  WorseORTNOA REAL, WorseRONOA REAL, WorsePPA REAL, WorseRCE REAL,
  WorseRE REAL, WorseRT REAL, WorseIT REAL, WorseWC REAL, WorseDE REAL,
  WorseLTA REAL, WorseIC REAL,
  -- variance of each balance-sheet line from the industry's, in points
  VarianceCash REAL, VarianceAR REAL, VarianceInvent REAL, VarianceCA REAL,
  VarianceOA REAL, VarianceTOA REAL, VarianceInvest REAL, VariancePTFL REAL,
  VarianceTOTASS REAL, VarianceAP REAL, VarianceSTPAPER REAL, VarianceMTG REAL,
  VarianceBonds REAL, VarianceOLoans REAL, VarianceAOTA REAL,
  VarianceOLiab REAL, VarianceDefTax REAL, VarianceTL REAL, VarianceEq REAL,
  VarianceSC REAL, VarianceRE REAL, VarianceOS REAL, VarianceSETL REAL,
  VarianceCurrA REAL, VarianceCurrL REAL,
  -- title of the data set
  MyVol TEXT,
  -- the industry's count, medians and profit distribution
  NumberOfFirms INTEGER,
  PPAQ2 REAL, LTAQ2 REAL, NPMQ2 REAL, PPMQ2 REAL, OPMQ2 REAL, GPMQ2 REAL,
  ORTTNOAQ2 REAL, RNOAQ2 REAL, RCEQ2 REAL, REQ2 REAL, RTQ2 REAL, ITQ2 REAL,
  WCQ2 REAL, DEQ2 REAL, ICQ2 REAL,
  OPP REAL, OPL REAL, PPP REAL, PPL REAL, NPP REAL, NPL REAL,
  -- the industry's balance-sheet structure
  A11 REAL, A12 REAL, A13 REAL, A18 REAL, A19 REAL, TOTOA REAL, A14 REAL,
  A151617 REAL, TOTASS REAL, A22 REAL, A25200 REAL, A25500 REAL, A25400 REAL,
  A25180 REAL, A24 REAL, A2329 REAL, A27 REAL, TOTLIAB REAL, A31 REAL,
  A38 REAL, A283334 REAL, TOTSE REAL, TOTLSE REAL, CURASS REAL, CURLiab REAL
);

-- Headings of the three reports. Each title table is filled with
-- "insert into X select * from X_Source where [Language] = ..." and must
-- therefore have the columns of its source in the same order. The years are
-- written as quoted text. Title_Report and Title_Note carry the report's
-- name and the note on the origin of the figures.
CREATE TABLE Rpt_Ratios_Titles_Source (
  Language TEXT, Naics TEXT, Title_LowerRight TEXT,
  Year_0 TEXT, Year_1 TEXT, Year_2 TEXT, Year_3 TEXT,
  Title_UpperLeft TEXT, Title_LowerLeft TEXT, ML_Title TEXT, MM_Title TEXT,
  Title_Report TEXT, Title_Note TEXT
);
CREATE TABLE Rpt_Ratios_Titles (
  Language TEXT, Naics TEXT, Title_LowerRight TEXT,
  Year_0 TEXT, Year_1 TEXT, Year_2 TEXT, Year_3 TEXT,
  Title_UpperLeft TEXT, Title_LowerLeft TEXT, ML_Title TEXT, MM_Title TEXT,
  Title_Report TEXT, Title_Note TEXT
);

CREATE TABLE Rpt_BalanceSheet_Titles_Source (
  Language TEXT, Naics TEXT, Title_LowerRight TEXT,
  Year_0 TEXT, Year_1 TEXT, Year_2 TEXT,
  Title_UpperLeft TEXT, Title_LowerLeft TEXT,
  Title_Report TEXT, Title_Note TEXT
);
CREATE TABLE Rpt_BalanceSheet_Titles (
  Language TEXT, Naics TEXT, Title_LowerRight TEXT,
  Year_0 TEXT, Year_1 TEXT, Year_2 TEXT,
  Title_UpperLeft TEXT, Title_LowerLeft TEXT,
  Title_Report TEXT, Title_Note TEXT
);

CREATE TABLE Rpt_Comparison_Titles_Source (
  Language TEXT, NAICS TEXT, Title_Report TEXT, Title_Note TEXT
);
CREATE TABLE Rpt_Comparison_Titles (
  Language TEXT, NAICS TEXT, Title_Report TEXT, Title_Note TEXT
);

-- Titles of each volume in each language ("E" or "F").
CREATE TABLE Volume_Descriptions (
  Volume INTEGER, Language TEXT, Title1 TEXT, Title2 TEXT,
  LargeMedianDesc TEXT, MediumMedianDesc TEXT
);

-- Names of the regions of the catalogue, and "ALL" for all of Canada. The
-- program splices these names into statements without doubling quotes, so
-- they must not contain an apostrophe.
CREATE TABLE ProvinceCodes (
  Code TEXT, English TEXT, French TEXT
);
