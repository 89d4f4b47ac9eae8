-- Industry data store (ZOR_DATA.mdb): the tables besides the ratio tables.
-- The program only reads this store. The ratio tables have the layout of
-- ratio.sql; the catalogue of data sets names them.

-- Sector folders of the industry tree, shared by every data set. The folders
-- IndTOTALL and IndMANAGE are the top level (their Parent is empty);
-- IndTFINANC is shown only for Volume 1. A folder's Parent must come earlier
-- in sequence than the folder.
CREATE TABLE tblTreeview (
  NodeKey  TEXT,
  Parent   TEXT,
  sequence INTEGER,
  IndDescE TEXT,
  IndDescF TEXT
);

-- One row per data set choice of the main menu.
CREATE TABLE datadescription (
  optname      TEXT,
  descriptione TEXT,
  descriptionf TEXT
);

-- NAICS titles and definitions. "Detailed" serves Volume 1, "Raw" every other
-- data set. NodeKey is "Ind" + NAICS; Parent is a folder of tblTreeview;
-- sequence orders the industries inside the tree. These column names must not
-- appear in the ratio tables: the search statements join the two without
-- prefixing every column.
CREATE TABLE ZORVA_NAICS_Description_Ind_Detailed (
  NAICS              TEXT,
  Description        TEXT,
  Description_french TEXT,
  Parent             TEXT,
  NodeKey            TEXT,
  sequence           INTEGER,
  definitione        TEXT,
  definitionf        TEXT
);

CREATE TABLE ZORVA_NAICS_Description_Ind_Raw (
  NAICS              TEXT,
  Description        TEXT,
  Description_french TEXT,
  Parent             TEXT,
  NodeKey            TEXT,
  sequence           INTEGER,
  definitione        TEXT,
  definitionf        TEXT
);
