-- Layout of one industry ratio table: one row per industry of a data set for
-- one reference year. The industry data store holds one such table per data
-- set and year, named ZORVA_Vol<volume>_<region>_<year>_Final_Ratios; the
-- user data store holds three copies of the layout (Rpt_Data_CY, Rpt_Data_CYM1,
-- Rpt_Data_CYM2) into which the reports copy one industry's row.
--
-- zorva-data creates every one of those tables with exactly these columns in
-- this order; the name RatioTable itself is only a placeholder.
--
-- Percentages of total assets and quartile boundaries are REAL, so a value
-- written as quoted text ('12.5') is stored as a number. A quartile boundary of
-- 0 means "not published".
CREATE TABLE RatioTable (
  NAICS               TEXT,     -- NAICS code of the industry
  IndustryDescription TEXT,     -- industry title shown by the reports (English)
  NumberOfFirms       INTEGER,  -- enterprises in the group
  -- Quartile boundaries Q1, Q2 (median), Q3 of the fifteen ratios
  NPMQ1 REAL, NPMQ2 REAL, NPMQ3 REAL,             -- net profit margin (%)
  PPMQ1 REAL, PPMQ2 REAL, PPMQ3 REAL,             -- pretax profit margin (%)
  OPMQ1 REAL, OPMQ2 REAL, OPMQ3 REAL,             -- operating profit margin (%)
  GPMQ1 REAL, GPMQ2 REAL, GPMQ3 REAL,             -- gross profit margin (%)
  ORTTNOAQ1 REAL, ORTTNOAQ2 REAL, ORTTNOAQ3 REAL, -- operating revenue to net operating assets (%)
  RNOAQ1 REAL, RNOAQ2 REAL, RNOAQ3 REAL,          -- return on net operating assets (%)
  PPAQ1 REAL, PPAQ2 REAL, PPAQ3 REAL,             -- pretax profit to assets (%)
  RCEQ1 REAL, RCEQ2 REAL, RCEQ3 REAL,             -- return on capital employed (%)
  REQ1 REAL, REQ2 REAL, REQ3 REAL,                -- return on equity (%)
  DEQ1 REAL, DEQ2 REAL, DEQ3 REAL,                -- debt to equity (lower is better: Q1 >= Q2 >= Q3)
  RTQ1 REAL, RTQ2 REAL, RTQ3 REAL,                -- receivable turnover
  ITQ1 REAL, ITQ2 REAL, ITQ3 REAL,                -- inventory turnover
  WCQ1 REAL, WCQ2 REAL, WCQ3 REAL,                -- working capital (current ratio)
  LTAQ1 REAL, LTAQ2 REAL, LTAQ3 REAL,             -- liabilities to assets (lower is better: Q1 >= Q2 >= Q3)
  ICQ1 REAL, ICQ2 REAL, ICQ3 REAL,                -- interest coverage
  -- Balance-sheet structure, percentages of total assets
  A11 REAL,       -- cash and deposits
  A12 REAL,       -- accounts receivable
  A13 REAL,       -- inventory
  A18 REAL,       -- capital assets
  A19 REAL,       -- other assets
  TOTOA REAL,     -- total operating assets = A11 + A12 + A13 + A18 + A19
  A14 REAL,       -- investments with affiliates
  A151617 REAL,   -- portfolio investments
  TOTASS REAL,    -- total assets = TOTOA + A14 + A151617 = 100
  A22 REAL,       -- accounts payable
  A25200 REAL,    -- short term paper
  A25500 REAL,    -- mortgages
  A25400 REAL,    -- bonds and debentures
  A25180 REAL,    -- loans and other borrowing
  A24 REAL,       -- amount owing to affiliates
  A2329 REAL,     -- other liabilities
  A27 REAL,       -- deferred tax
  TOTLIAB REAL,   -- total liabilities = A22 + ... + A27
  A31 REAL,       -- share capital
  A38 REAL,       -- retained earnings
  A283334 REAL,   -- other surplus
  TOTSE REAL,     -- total shareholders' equity = A31 + A38 + A283334
  TOTLSE REAL,    -- total liabilities and shareholders' equity = TOTLIAB + TOTSE = 100
  CURASS REAL,    -- current assets
  CURLiab REAL,   -- current liabilities
  -- Profit distribution: % of enterprises with profits (..P) and losses (..L)
  OPP REAL, OPL REAL,   -- operating profit / loss, OPP + OPL = 100
  PPP REAL, PPL REAL,   -- pretax profit / loss,    PPP + PPL = 100
  NPP REAL, NPL REAL    -- net profit / loss,       NPP + NPL = 100
);
