#!/usr/bin/python3
"""Generates the illustrative industry data source (data/industry/*.csv).

The figures are made up, but made the way published benchmarks are made.
For every leaf cell (industry x province x revenue volume x year) the
generator simulates the statements of that cell's enterprises (a sample of at
most CAP of them, each standing for its share of the cell's enterprise count),
from parameters set per industry group: margins and their spread, gross
margin, capital intensity, receivable and inventory days, leverage, which
debt is current, sensitivity to the 2009 recession. Every published figure
(ratio quartiles, balance-sheet structure, shares of enterprises with profits
and losses, enterprise counts) is then computed from those statements with
the comparison's own definitions. A parent industry, a regional group and
all of Canada pool the enterprises of their members, so their figures lie
within their members' range. They are NOT official statistics.

The generator is deterministic: the same seed and inputs give the same files
byte for byte. Its output is committed; the build only imports the CSV files
and never runs this script. It needs NumPy (Debian: python3-numpy).

Inputs, next to this script:
  naics_master.csv  industries: code, English and French titles (NAICS Canada
                    2007 / SCIAN Canada 2007), short definitions, the industry
                    group whose parameters drive the figures, the number of
                    small enterprises (Volume 3, all of Canada), the regional
                    pattern, optional counts for Volumes 1 and 2 (0: none),
                    and "y" in unlisted for a parent that the classification
                    divides into more sub-industries than are listed: its
                    count above the sum of its listed children is that
                    unlisted part. The children of any other parent are the
                    whole parent. Farm counts are incorporated farms, the
                    enterprises whose balance sheets the figures describe.
  targets.csv       figures of well-known industries and stories of the years
                    that the generated data must land near (a figure, its
                    change since another year, its ratio to the sum of the
                    listed sub-industries...); the generator fails when one
                    is missed. Its columns are described in
                    docs/data-format.md.

Editions. The model has three years: a year before a turn, the turn and the
year after (2008, 2009 and 2010 in the shipped edition, the recession). An
edition names them with its own years and tells its own story of them:
--edition 2023 makes the illustrative 2021-2023 edition (EDITION_STORIES
below), into data/editions/2023 unless --out says otherwise, checked against
targets-2023.csv.

Usage: generate.py [--edition 2010|2023] [--seed N] [--out DIR] [--targets]
       (default out: data/industry of the repo; --targets prints the table of
       targets next to the generated figures)
"""

import argparse
import csv
import math
import os
import statistics
import sys

import numpy as np

SEED = 20100331
YEARS = (2010, 2009, 2008)  # the model's years, latest first; an edition names them (edition_year)
EDITION = 2010  # the latest year of the edition being made
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
CAP = 160  # simulated enterprises per leaf cell at most

# ----------------------------------------------------------------- randomness

MASK = (1 << 64) - 1


def fnv1a(text):
    h = 0xCBF29CE484222325
    for b in text.encode("utf-8"):
        h ^= b
        h = (h * 0x100000001B3) & MASK
    return h


def rng_for(*key):
    """A NumPy generator of its own for every key, so that a change in one
    cell never moves the figures of another."""
    return np.random.Generator(np.random.PCG64(
        np.random.SeedSequence([SEED & MASK, fnv1a("|".join(str(k) for k in key))])))


# ----------------------------------------------------------------- catalogue

DATASETS = [  # option name, volume, region code
    ("optVol1", 1, "ALL"), ("optVol2", 2, "ALL"), ("optVol3", 3, "ALL"),
    ("optAtlantic", 3, "ATLANTIC"), ("optNovaScotia", 3, "NS"), ("optNewBrunswick", 3, "NB"),
    ("optNewfoundland", 3, "NL"), ("optPEI", 3, "PE"), ("optQuebec", 3, "QC"),
    ("optOntario", 3, "ON"), ("optPrairies", 3, "PRAIRIES"), ("optManitoba", 3, "MB"),
    ("optSaskatchewan", 3, "SK"), ("optAlberta", 3, "AB"), ("optBritishColumbia", 3, "BC"),
    ("optTerritories", 3, "TERRITORIES"), ("optNWT", 3, "NT"), ("optNunavut", 3, "NU"),
    ("optYukon", 3, "YT"),
]

# Deliberate gaps, so that the program's paths for them can be exercised.
# Keyed by the model's years; "{year}" is the edition's name of the year.
EMPTY_TABLES = {("NU", 2010): "No figures are published for Nunavut for {year} (illustrative gap)."}
ABSENT_TABLES = {("NT", 2008): "No {year} figures for the Northwest Territories (illustrative gap)."}


def edition_year(year):
    """The edition's name of one of the model's years (2008 -> 2021 in the
    2023 edition)."""
    return year + (EDITION - 2010)

REGION_NAMES = {  # English, French
    "ALL": ("all of Canada", "ensemble du Canada"),
    "ATLANTIC": ("Atlantic Canada", "Canada atlantique"),
    "NS": ("Nova Scotia", "Nouvelle-Écosse"), "NB": ("New Brunswick", "Nouveau-Brunswick"),
    "NL": ("Newfoundland and Labrador", "Terre-Neuve-et-Labrador"),
    "PE": ("Prince Edward Island", "Île-du-Prince-Édouard"), "QC": ("Quebec", "Québec"),
    "ON": ("Ontario", "Ontario"), "PRAIRIES": ("the Prairies", "Prairies"),
    "MB": ("Manitoba", "Manitoba"), "SK": ("Saskatchewan", "Saskatchewan"),
    "AB": ("Alberta", "Alberta"), "BC": ("British Columbia", "Colombie-Britannique"),
    "TERRITORIES": ("the Territories", "Territoires"),
    "NT": ("Northwest Territories", "Territoires du Nord-Ouest"), "NU": ("Nunavut", "Nunavut"),
    "YT": ("Yukon", "Yukon"),
}

VOLUME_NAMES = {
    1: ("enterprises with annual revenue of $25 million or more",
        "entreprises ayant 25 millions de dollars ou plus de revenu annuel"),
    2: ("enterprises with annual revenue of $5 million to less than $25 million",
        "entreprises ayant de 5 millions de dollars à moins de 25 millions de dollars de revenu annuel"),
    3: ("enterprises with annual revenue of $30,000 to less than $5 million",
        "entreprises ayant de 30 000 $ à moins de 5 millions de dollars de revenu annuel"),
}

# Leaf regions: share of small enterprises, and the aggregates they form.
LEAF_SHARES = {"NL": .012, "PE": .005, "NS": .025, "NB": .019, "QC": .22, "ON": .375, "MB": .033,
               "SK": .034, "AB": .125, "BC": .145, "YT": .0013, "NT": .0012, "NU": .0005}
AGGREGATES = {"ATLANTIC": ("NL", "PE", "NS", "NB"), "PRAIRIES": ("MB", "SK", "AB"),
              "TERRITORIES": ("YT", "NT", "NU")}
TERRITORIES = ("YT", "NT", "NU")

# ------------------------------------------------------------------- sectors

# Folders of the tree: key, parent, English, French. "IndTOTALL" and
# "IndMANAGE" are the top level; "IndTFINANC" is shown for Volume 1 only.
FOLDERS = [
    ("IndTOTALL", "", "All industries", "Toutes les industries"),
    ("Ind11", "IndTOTALL", "Agriculture, forestry, fishing and hunting", "Agriculture, foresterie, pêche et chasse"),
    ("Ind21", "IndTOTALL", "Mining, quarrying, and oil and gas extraction",
     "Extraction minière, exploitation en carrière, et extraction de pétrole et de gaz"),
    ("Ind22", "IndTOTALL", "Utilities", "Services publics"),
    ("Ind23", "IndTOTALL", "Construction", "Construction"),
    ("Ind31-33", "IndTOTALL", "Manufacturing", "Fabrication"),
    ("Ind41", "IndTOTALL", "Wholesale trade", "Commerce de gros"),
    ("Ind44-45", "IndTOTALL", "Retail trade", "Commerce de détail"),
    ("Ind48-49", "IndTOTALL", "Transportation and warehousing", "Transport et entreposage"),
    ("Ind51", "IndTOTALL", "Information and cultural industries", "Industrie de l'information et industrie culturelle"),
    ("IndTFINANC", "IndTOTALL", "Finance and insurance", "Finance et assurances"),
    ("Ind53", "IndTOTALL", "Real estate and rental and leasing",
     "Services immobiliers et services de location et de location à bail"),
    ("Ind54", "IndTOTALL", "Professional, scientific and technical services",
     "Services professionnels, scientifiques et techniques"),
    ("Ind56", "IndTOTALL", "Administrative and support, waste management and remediation services",
     "Services administratifs, services de soutien, services de gestion des déchets et services d'assainissement"),
    ("Ind61", "IndTOTALL", "Educational services", "Services d'enseignement"),
    ("Ind62", "IndTOTALL", "Health care and social assistance", "Soins de santé et assistance sociale"),
    ("Ind71", "IndTOTALL", "Arts, entertainment and recreation", "Arts, spectacles et loisirs"),
    ("Ind72", "IndTOTALL", "Accommodation and food services", "Services d'hébergement et de restauration"),
    ("Ind81", "IndTOTALL", "Other services (except public administration)",
     "Autres services (sauf les administrations publiques)"),
    ("Ind91", "IndTOTALL", "Public administration", "Administrations publiques"),
    ("IndMANAGE", "", "Management of companies and enterprises", "Gestion de sociétés et d'entreprises"),
]


def folder_of(code):
    two = code[:2]
    if two in ("31", "32", "33"):
        return "Ind31-33"
    if two in ("44", "45"):
        return "Ind44-45"
    if two in ("48", "49"):
        return "Ind48-49"
    if two == "52":
        return "IndTFINANC"
    if two == "55":
        return "IndMANAGE"
    return "Ind" + two


# Where an industry's small enterprises are. Most industries follow the
# economy (LEAF_SHARES) with a multiplier; land- and sea-bound ones have
# their own provincial shares, after the farm, fishing and mining censuses.
MULTIPLIERS = {
    "default": {"YT": .8, "NT": .8, "NU": .8},
    "tourism": {"BC": 1.3, "PE": 2, "NS": 1.3, "YT": 4, "NT": 2, "NU": 1.5},
    "north": {"YT": 6, "NT": 8, "NU": 12, "BC": 1.4, "AB": 1.2},
}
SHARES = {
    "grain": {"SK": .38, "AB": .24, "ON": .15, "MB": .13, "QC": .065, "BC": .015, "PE": .007, "NS": .004,
              "NB": .004, "NL": .0002, "YT": .0002, "NT": .0001},
    "othercrop": {"ON": .28, "QC": .2, "AB": .17, "SK": .11, "BC": .1, "MB": .06, "NS": .025, "NB": .025,
                  "PE": .02, "NL": .004, "YT": .001, "NT": .0003},
    "vegetable": {"ON": .4, "QC": .27, "BC": .11, "AB": .05, "PE": .05, "NB": .035, "NS": .035, "MB": .025,
                  "SK": .02, "NL": .004, "YT": .001},
    "fruit": {"BC": .36, "ON": .3, "QC": .19, "NS": .08, "NB": .035, "PE": .02, "MB": .006, "AB": .006,
              "SK": .004, "NL": .004, "YT": .0005},
    "greenhouse": {"ON": .45, "BC": .2, "QC": .18, "AB": .07, "NS": .025, "MB": .02, "SK": .02, "NB": .02,
                   "PE": .008, "NL": .005, "YT": .001, "NT": .0005},
    "cattle": {"AB": .36, "SK": .19, "ON": .16, "QC": .1, "MB": .08, "BC": .07, "NS": .014, "NB": .012,
               "PE": .009, "NL": .002, "YT": .0008, "NT": .0002},
    "hog": {"QC": .3, "ON": .3, "MB": .17, "AB": .11, "SK": .05, "BC": .02, "NS": .015, "NB": .01, "PE": .02,
            "NL": .001},
    "poultry": {"ON": .4, "QC": .25, "BC": .17, "AB": .06, "MB": .045, "SK": .025, "NS": .025, "NB": .015,
                "PE": .005, "NL": .005, "YT": .0005},
    "otheranimal": {"ON": .3, "QC": .2, "AB": .18, "BC": .12, "SK": .07, "MB": .06, "NS": .025, "NB": .02,
                    "PE": .01, "NL": .005, "YT": .002, "NT": .0005},
    "forest": {"BC": .4, "QC": .25, "ON": .12, "NB": .08, "NS": .05, "AB": .04, "NL": .02, "MB": .015,
               "SK": .015, "PE": .004, "YT": .004, "NT": .002, "NU": .0001},
    "fish": {"NS": .3, "NL": .28, "BC": .15, "NB": .12, "PE": .1, "QC": .04, "ON": .005, "MB": .004,
             "NU": .002, "NT": .001, "SK": .0005, "AB": .0003, "YT": .0002},
    "oil": {"AB": .72, "SK": .12, "BC": .08, "ON": .025, "MB": .02, "NL": .01, "NB": .003, "NS": .003,
            "QC": .01, "NT": .006, "YT": .001, "NU": .0005},
    "mine": {"QC": .22, "ON": .2, "BC": .18, "AB": .1, "SK": .08, "MB": .05, "NL": .05, "NB": .03, "NS": .03,
             "YT": .03, "NT": .02, "NU": .01, "PE": .001},
}

# Smallest group whose row is published, and smallest number of enterprises
# (with a meaningful value) behind published quartiles and medians.
THRESHOLD = {1: 10, 2: 12, 3: 15}
THRESHOLD_REGION = 30
THRESHOLD_TERRITORY = 15
QUARTILES_FROM = 20
MEDIAN_FROM = 10
# A ratio that only a few of the group's enterprises have (inventory turnover
# of a service industry) is not published.
MEANINGFUL_SHARE = 1 / 3.0
# Share of enterprises whose liabilities exceed their assets, against the
# group's share among small enterprises (neg), by volume: few large
# enterprises owe more than they own.
NEGATIVE_EQUITY = {1: .12, 2: .4, 3: 1.0}
# Amounts owing to shareholders payable on demand (so current), against the
# group's share among small enterprises (shcur); and the share of
# enterprises with more than a nominal share capital, or with contributed
# surplus, by volume. Most owner-managed corporations issued their shares for
# a few dollars; larger ones raised capital by issuing shares.
ON_DEMAND = {1: .3, 2: .6, 3: 1.0}
ISSUED_CAPITAL = {1: .8, 2: .55, 3: .3}
WITH_SURPLUS = {1: .2, 2: .12, 3: .06}
# How deep the recession goes in a province (1: as in all of Canada): the
# cyclical part of margins, turnover and enterprise counts in 2009 and 2010
# is scaled by it. Alberta's oil, gas and building fell furthest; Ontario's
# and British Columbia's manufacturing and forestry next; Quebec, Manitoba and
# the Maritimes least.
REGION_DEPTH = {"AB": 2.4, "SK": 1.1, "BC": 1.3, "ON": 1.3, "NL": 0.9, "QC": 0.7, "MB": 0.5, "NS": 0.6,
                "NB": 0.7, "PE": 0.5, "YT": 0.5, "NT": 1.0, "NU": 0.4}
# Tax on pretax profits (an average rate, enterprises vary), by volume.
TAX_RATE = {1: .27, 2: .21, 3: .15}
# Interest rate on debt, by year.
RATE = {2008: .066, 2009: .052, 2010: .049}
# How a group without a story of its own moves with the cycle (scaled by its
# cyc and the province's depth): pretax margin (in spreads), gross margin
# (points) and asset turnover (log) in the second and third year against the
# first, and the fall of the enterprise count in those years.
SHAPE = dict(margin=(-0.35, -0.12), gm=(-1.0, -0.3), turn=(-0.05, -0.02), count=(0.07, 0.015))

# ------------------------------------------------------------------- groups
#
# Parameters of an industry group, for small enterprises (Volume 3) in a
# normal year; the volumes and years change them as described further down.
#   ppm, sd    median pretax profit margin (% of operating revenue) and spread
#   gm, gsd    median gross margin on sales (%) and spread; None: the group's
#              enterprises sell services, so no gross margin is published
#   pinv, dio  share of enterprises holding inventory; days of cost of sales
#   dso, cash  days of revenue held as receivables and as cash
#   cap, oa    capital assets and other assets per dollar of revenue
#   paff, aff  share of enterprises with investments in affiliates; their size
#   pptf, ptf  the same for portfolio investments (loans, for lenders)
#   L, neg     median liabilities in % of assets (/100), and share of small
#              enterprises whose liabilities exceed their assets: together
#              they set the spread, so an industry where many owe more than
#              they own (restaurants, taxis, salons) has a long upper tail
#   mix        how debt other than payables divides among short-term paper,
#              mortgages, bonds, loans, amounts owing to affiliates, other
#              liabilities and deferred tax
#   dpo        days of costs owed to suppliers
#   lcur       share of loans due within a year (operating lines; floor plans)
#   shcur      share of small enterprises whose amounts owing to shareholders
#              are payable on demand (current)
#   fp         inventory financed by the lender who holds it (floor plan)
#   olcur      share of other liabilities due within a year (deposits: most)
#   dep        interest paid on other liabilities (deposits, policy funds)
#   fin        investment income is operating revenue (lenders, insurers)
#   cyc        how much the 2009 recession shows (0 to 1)
#   path       instead of cyc, the group's own story: pretax margin points
#              against a normal year in 2008, 2009 and 2010
#   cnt        change of the enterprise count in 2009 and in 2010 (fractions);
#              None: follows cyc (fewer enterprises where revenue fell)
#   sc         share capital in % of assets (/100) of an enterprise that
#              issued more than a nominal amount
#   r1, r2     enterprises of Volumes 1 and 2 per small enterprise

BASE = dict(ppm=5.0, sd=8.0, gm=None, gsd=6.0, pinv=.1, dio=30, dso=40, cash=30, cap=.3, oa=.03,
            paff=.15, aff=.05, pptf=.15, ptf=.04, L=.6, neg=.08, mix=(0, 20, 0, 45, 20, 12, 3), dpo=30,
            lcur=.35, shcur=.3, fp=0.0, olcur=.5, dep=0.0, fin=False, cyc=.3, path=None, cnt=None, sc=.12,
            r1=.004, r2=.03)

FAMILIES = {
    "farm": dict(ppm=7, sd=13, gm=35, gsd=11, pinv=.9, dio=150, dso=20, cash=25, cap=2.0, L=.47,
                 mix=(0, 45, 0, 33, 14, 5, 3), dpo=25, lcur=.3, cyc=.2, neg=.05, sc=.1, r1=.0015, r2=.015),
    "resource": dict(ppm=6, sd=14, gm=28, gsd=10, pinv=.6, dio=35, dso=40, cash=25, cap=1.2, L=.58,
                     mix=(0, 15, 0, 50, 22, 8, 5), cyc=.5, sc=.2, r1=.002, r2=.02),
    "construction": dict(ppm=5, sd=8, gm=24, gsd=8, pinv=.35, dio=15, dso=50, cash=30, cap=.15, L=.6,
                         mix=(0, 12, 0, 45, 28, 12, 3), dpo=40, lcur=.45, cyc=.45, r1=.002, r2=.015),
    "manufacturing": dict(ppm=5, sd=9, gm=26, gsd=9, pinv=.85, dio=60, dso=50, cash=25, cap=.35, L=.6,
                          mix=(0, 15, 0, 45, 25, 10, 5), dpo=40, lcur=.4, cyc=.55, sc=.18, r1=.04, r2=.1),
    "wholesale": dict(ppm=3, sd=6, gm=22, gsd=8, pinv=.85, dio=55, dso=45, cash=20, cap=.05, L=.63,
                      mix=(0, 6, 0, 55, 25, 10, 4), dpo=40, lcur=.6, cyc=.4, r1=.025, r2=.09),
    "retail": dict(ppm=2.5, sd=6, gm=33, gsd=8, pinv=.95, dio=95, dso=5, cash=20, cap=.1, L=.63,
                   mix=(0, 14, 0, 45, 28, 10, 3), dpo=30, lcur=.45, cyc=.2, sc=.1, r1=.005, r2=.03),
    "transport": dict(ppm=5, sd=9, pinv=.15, dso=40, cash=20, cap=.5, L=.63,
                      mix=(0, 10, 0, 55, 20, 10, 5), dpo=25, lcur=.3, cyc=.45, r1=.004, r2=.02),
    "information": dict(ppm=7, sd=14, pinv=.15, dso=55, cash=45, cap=.3, L=.55,
                        mix=(0, 5, 0, 35, 35, 20, 5), cyc=.3, r1=.02, r2=.05),
    "finance": dict(ppm=18, sd=12, pinv=0, dso=30, cash=60, cap=.1, oa=.1, pptf=.9, ptf=2.0, paff=.3,
                    aff=.3, L=.75, neg=.03, mix=(8, 2, 10, 25, 10, 40, 5), fin=True, olcur=.6, cyc=.4, sc=.25,
                    r1=0, r2=0),
    "realestate": dict(ppm=12, sd=15, pinv=.05, dso=20, cash=40, cap=1.0, L=.6,
                       mix=(0, 45, 0, 25, 20, 7, 3), lcur=.2, olcur=.3, cyc=.15, r1=.002, r2=.015),
    "professional": dict(ppm=11, sd=14, pinv=.05, dso=60, cash=45, cap=.12, L=.5, neg=.05,
                         mix=(0, 5, 0, 35, 40, 17, 3), dpo=20, lcur=.6, shcur=.6, cyc=.2, sc=.05, r1=.002,
                         r2=.015),
    "services": dict(ppm=6, sd=9, pinv=.15, dso=35, cash=30, cap=.3, L=.6,
                     mix=(0, 15, 0, 40, 30, 12, 3), dpo=25, cyc=.2, r1=.003, r2=.02),
    "health": dict(ppm=16, sd=13, pinv=.2, dio=20, dso=20, cash=40, cap=.25, L=.45, neg=.04,
                   mix=(0, 20, 0, 35, 35, 8, 2), dpo=20, cyc=.05, sc=.05, r1=.001, r2=.01),
    "hospitality": dict(ppm=4, sd=10, gm=64, gsd=6, pinv=.9, dio=8, dso=3, cash=15, cap=.45, L=.72,
                        mix=(0, 25, 0, 35, 30, 8, 2), dpo=20, cyc=.2, neg=.15, sc=.12, r1=.001, r2=.01),
}

GROUPS = {}


def group(name, family, **over):
    g = dict(BASE)
    g.update(FAMILIES[family])
    g.update(over)
    GROUPS[name] = g


# Agriculture, forestry, fishing.
group("grain", "farm", ppm=9, sd=13, gm=42, cap=2.6, dio=200, L=.45)
group("othercrop", "farm", ppm=6, gm=38, cap=2.2)
group("vegfruit", "farm", ppm=6, sd=12, gm=34, cap=1.6, dio=50)
group("greenhouse", "farm", ppm=6, sd=10, gm=32, cap=1.3, dio=60, dso=35, L=.55)
group("cattle", "farm", ppm=4, sd=14, gm=30, cap=2.6, dio=180, L=.5)
group("hogpoultry", "farm", ppm=6, sd=10, gm=24, cap=1.6, dio=50, L=.6)  # quota counts as capital
# Hog farms lost money through the feed-cost and price squeeze of 2007-2009
# (and the 2009 flu scare and export rules); many left the industry, the rest
# recovered in 2010.
group("hog", "farm", ppm=5, sd=10, gm=22, cap=1.6, dio=50, L=.62, neg=.08, path=(-7.5, -5.0, -0.5),
      cnt=(-.08, -.07))
group("otheranimal", "farm", ppm=2, sd=14, gm=30, cap=2.0)
group("logging", "resource", ppm=3.5, sd=9, gm=22, cap=.7, dio=15, cyc=.8, r2=.01)
group("fishing", "resource", ppm=7, sd=14, gm=36, cap=1.3, dio=10, pinv=.4, cyc=.3, r1=.001, r2=.01)
group("agsupport", "resource", ppm=6, sd=10, gm=None, pinv=.15, cap=.5, cyc=.3, r1=.001, r2=.008)
# Mining, oil and gas, utilities.
group("oilgas", "resource", ppm=9, sd=24, gm=None, pinv=.3, dio=20, dso=60, cash=50, cap=3.0, L=.45, lcur=.2,
      mix=(2, 2, 12, 38, 30, 8, 8), cyc=.9, r1=.16, r2=.18)
group("mining", "resource", ppm=7, sd=20, gm=30, cap=1.8, dio=45, L=.5, cyc=.8, r1=.05, r2=.1)
group("minesupport", "resource", ppm=6, sd=12, gm=None, pinv=.2, dso=60, cap=.5, cyc=.9, r1=.01, r2=.04)
group("utility", "resource", ppm=9, sd=8, gm=None, pinv=.3, dso=45, cap=3.0, L=.62,
      mix=(3, 10, 30, 30, 15, 7, 5), lcur=.2, cyc=.05, r1=.14, r2=.09)
# Construction: home builders carry houses and land as inventory, other
# builders carry receivables and holdbacks.
group("homebuild", "construction", ppm=5, sd=8, gm=18, gsd=6, pinv=.55, dio=170, dso=24, cap=.08, L=.7,
      mix=(0, 25, 0, 50, 18, 5, 2), lcur=.6, r1=.003, r2=.02)
group("nonresbuild", "construction", ppm=3.5, sd=6, gm=13, gsd=5, pinv=.3, dio=12, dso=50, cash=40, cap=.1,
      oa=.05, L=.63,
      r1=.01, r2=.08)
group("civil", "construction", ppm=5, sd=9, gm=19, dso=60, cap=.4, L=.6, r1=.012, r2=.06)
group("trades", "construction", ppm=6, sd=8, gm=32, pinv=.5, dio=12, dso=45, cap=.15, L=.55, r1=.001, r2=.01)
# Manufacturing.
group("foodmfg", "manufacturing", ppm=4, sd=8, gm=26, dio=35, dso=30, r1=.05, r2=.11)
group("beverage", "manufacturing", ppm=7, sd=12, gm=36, dio=60, dso=35, cap=.6)
group("textile", "manufacturing", ppm=3.5, sd=9, gm=27, dio=80)
group("wood", "manufacturing", ppm=2.5, sd=9, gm=16, gsd=6, dio=45, dso=30, cap=.45, cyc=.85)
# Lumber prices had already collapsed with American housing in 2007-2008;
# 2009 was the bottom and 2010 a recovery.
group("sawmill", "manufacturing", ppm=4, sd=9, gm=17, gsd=6, dio=45, dso=30, cap=.5, path=(-3.0, -5.0, -0.5),
      cnt=(-.06, -.03))
group("paper", "manufacturing", ppm=3, sd=9, gm=18, cap=.7, cyc=.6)
group("printing", "manufacturing", ppm=4.5, sd=8, gm=30, dio=20, cap=.35)
group("petroleum", "manufacturing", ppm=3, sd=8, gm=12, gsd=5, dio=25, cap=.5, r1=.3, r2=.2)
group("chemical", "manufacturing", ppm=6, sd=10, gm=30, cap=.4)
group("pharma", "manufacturing", ppm=9, sd=16, gm=47, gsd=12, dio=110, dso=60, cap=.4, cyc=.1)
group("plastics", "manufacturing", ppm=5, sd=8, gm=23, cap=.4)
group("nonmetallic", "manufacturing", ppm=5.5, sd=9, gm=27, cap=.5, cyc=.5)
group("primarymetal", "manufacturing", ppm=4, sd=10, gm=17, cap=.55, cyc=.9)
group("fabmetal", "manufacturing", ppm=6, sd=9, gm=27, dio=40, cap=.35)
group("machinery", "manufacturing", ppm=5.5, sd=10, gm=28, dio=90, cyc=.7)
group("electronics", "manufacturing", ppm=5, sd=13, gm=36, dio=80, dso=60)
group("electrical", "manufacturing", ppm=5, sd=10, gm=29, dio=75)
group("transpeq", "manufacturing", ppm=3.5, sd=10, gm=17, dio=60, cyc=.9)
# Parts makers went down with their customers at the end of 2008 and in 2009
# (plants shut for months), and came back with production in 2010.
group("vehicleparts", "manufacturing", ppm=4, sd=10, gm=17, dio=40, path=(-2.5, -6.5, 1.0), cnt=(-.06, -.01))
group("furniture", "manufacturing", ppm=4.5, sd=9, gm=28, dio=50, cyc=.6)
group("miscmfg", "manufacturing", ppm=6, sd=11, gm=36, dio=100)
# Wholesale.
group("wholesalefarm", "wholesale", ppm=2.5, sd=5, gm=12, gsd=5, dio=40, cyc=.2)
group("wholesalepetro", "wholesale", ppm=1.8, sd=4, gm=9, gsd=4, dio=12, dso=30, cap=.1, r1=.1)
group("wholesalefood", "wholesale", ppm=2.2, sd=4.5, gm=17, gsd=6, dio=25, dso=30, cyc=.1)
group("wholesale", "wholesale")
# Retail. Dealers finance their vehicles with floor-plan loans that fall due
# when a vehicle is sold, so their current ratio stays near 1.2.
group("autodealer", "retail", ppm=1.8, sd=2.8, gm=16, gsd=3, dio=60, dso=10, cash=12, cap=.07, L=.78,
      neg=.04, mix=(0, 10, 0, 30, 40, 18, 2), fp=.8, lcur=.95, olcur=.5, dpo=8, r1=.02, r2=.3, cyc=.35)
group("othermotor", "retail", ppm=2.8, sd=5, gm=21, gsd=5, dio=100, dso=6, cap=.1, L=.7,
      mix=(0, 10, 0, 30, 40, 18, 2), fp=.65, lcur=.9, dpo=10, r1=.003, r2=.06, cyc=.5)
group("autoparts", "retail", ppm=3.5, sd=6, gm=35, dio=100, dso=25)
group("durables", "retail", ppm=2.5, sd=6, gm=31, dio=90, cyc=.35)
group("buildsupply", "retail", ppm=3.5, sd=6, gm=27, dio=85, dso=25, cyc=.3)
group("grocery", "retail", ppm=2.2, sd=3.5, gm=25, gsd=4.5, dio=20, dso=2, cash=15, cap=.13, dpo=18, lcur=.4,
      cyc=.03, r1=.006, r2=.04)
group("liquor", "retail", ppm=3, sd=4.5, gm=26, gsd=5, dio=45, dso=2, cyc=.05)
group("pharmacy", "retail", ppm=4, sd=5, gm=30, gsd=5, dio=45, dso=12, cyc=.02, r1=.004, r2=.04)
group("gasstation", "retail", ppm=1.5, sd=3, gm=12, gsd=4, dio=10, dso=4, cap=.18, cyc=.1, r2=.06)
group("clothing", "retail", ppm=3, sd=8, gm=42, gsd=9, dio=140, dso=3, neg=.14)
group("hobby", "retail", ppm=2.5, sd=7, gm=36, dio=130)
group("genmerch", "retail", ppm=2.5, sd=6, gm=27, dio=80, r1=.02)
group("miscretail", "retail", ppm=2.5, sd=8, gm=40, dio=100)
group("giftstore", "retail", ppm=2.5, sd=8, gm=42, dio=120, neg=.14, r1=0, r2=.005)
group("nonstore", "retail", ppm=3, sd=9, gm=31, dio=50, dso=12)
# Transportation. Pipelines and railways hold mostly plant and turn their
# assets over slowly.
group("air", "transport", ppm=3, sd=12, cap=.7, cyc=.6, r1=.01)
group("rail", "transport", ppm=12, sd=8, cap=1.8, oa=.35, dso=30, L=.58, mix=(3, 2, 40, 25, 15, 10, 5),
      cyc=.5, r1=.3, r2=.15)
group("water", "transport", ppm=6, sd=11, cap=1.2, L=.62, r1=.02)
group("trucking", "transport", ppm=4.5, sd=7, cap=.42, dso=40, L=.65, mix=(0, 6, 0, 64, 18, 9, 3),
      lcur=.3, cyc=.6, neg=.14)
group("transit", "transport", ppm=5, sd=9, cap=.55, dso=30)
group("taxi", "transport", ppm=6, sd=10, cap=.45, dso=5, L=.8, neg=.4, r1=0, r2=.002)
group("pipeline", "transport", ppm=18, sd=8, cap=2.8, oa=.6, dso=35, cash=15, L=.62,
      mix=(5, 0, 55, 20, 10, 5, 5), lcur=.15, cyc=.1, r1=.8, r2=.3)
group("scenic", "transport", ppm=5, sd=12, cap=.9, cyc=.3)
group("transsupport", "transport", ppm=5, sd=8, cap=.25, dso=45)
group("courier", "transport", ppm=5, sd=7, cap=.2, dso=35)
group("warehouse", "transport", ppm=7, sd=10, cap=1.0)
# Information.
group("publishing", "information", ppm=6, sd=12, cap=.15, pinv=.4, dio=40)
group("software", "information", ppm=9, sd=22, cap=.06, cash=90, dso=65, L=.45, neg=.15, cyc=.15)
group("film", "information", ppm=4, sd=14, cap=.5)
group("broadcasting", "information", ppm=10, sd=12, cap=.6, r1=.08)
group("internetpub", "information", ppm=5, sd=18, cap=.2, neg=.2)
group("telecom", "information", ppm=12, sd=12, cap=1.6, dso=40, cash=12, L=.6, r1=.03)
group("wiredtelecom", "information", ppm=14, sd=11, cap=1.0, oa=.35, dso=45, cash=8, L=.62,
      mix=(3, 3, 35, 30, 17, 7, 5), r1=.05)
group("dataproc", "information", ppm=8, sd=12, cap=.4)
group("otherinfo", "information", ppm=5, sd=12, cap=.2)
# Finance and insurance (Volume 1 only). Deposit-takers lend out their
# deposits: loans are their assets, deposits most of their liabilities.
group("deposit", "finance", ppm=20, sd=9, ptf=17.0, pptf=1, cash=180, cap=.1, L=.925, neg=.01,
      mix=(3, 0, 6, 4, 2, 85, 0), olcur=.85, dep=.02, cyc=.2)
group("nondeposit", "finance", ppm=20, sd=12, ptf=5.0, pptf=1, L=.84, neg=.03,
      mix=(15, 0, 35, 35, 10, 4, 1), lcur=.5)
group("creditsupport", "finance", ppm=15, sd=12, ptf=.8, dso=40, L=.6)
group("securities", "finance", ppm=18, sd=15, ptf=2.0, dso=60, L=.7)
group("insurer", "finance", ppm=9, sd=8, ptf=2.4, pptf=1, dso=50, L=.74, neg=.02,
      mix=(0, 0, 5, 3, 5, 85, 2), olcur=.3, dep=.01)
group("broker", "professional", ppm=12, sd=10, dso=55, pptf=.2, ptf=.1, cap=.15, L=.6, r1=0, r2=0,
      fin=True, mix=(0, 5, 0, 30, 35, 27, 3))
group("funds", "finance", ppm=40, sd=20, ptf=12.0, pptf=1, dso=10, L=.3, neg=.03,
      mix=(0, 0, 5, 15, 10, 70, 0))
# Real estate and rental.
group("lessor", "realestate", ppm=18, sd=18, cap=6.5, cash=75, L=.63, mix=(0, 62, 0, 15, 16, 5, 2),
      lcur=.15, r2=.01)
group("reagent", "realestate", ppm=9, sd=12, cap=.1, dso=20, L=.5, mix=(0, 5, 0, 40, 35, 17, 3))
group("rental", "realestate", ppm=8, sd=12, cap=1.5, dso=35, L=.65, mix=(0, 5, 0, 60, 25, 7, 3),
      lcur=.3, r1=.01, r2=.04)
group("intangibles", "realestate", ppm=25, sd=20, cap=2.0, dso=45, r1=.02)
# Professional services.
# Lawyers, accountants, physicians and dentists practise through
# professional corporations that keep their retained earnings invested in
# the corporation; their bank loans are operating lines and demand loans, and
# the shareholder's loan is payable on demand.
PROFESSION = dict(lcur=.75, shcur=.7, sc=.02, neg=.04)
group("legal", "professional", ppm=18, sd=15, dso=95, pptf=.45, ptf=.35, r1=.0008, **PROFESSION)
group("accounting", "professional", ppm=16, sd=14, dso=60, pptf=.5, ptf=.4, **PROFESSION)
group("engineering", "professional", ppm=9, sd=12, dso=70, r1=.004, r2=.03)
group("design", "professional", ppm=10, sd=13)
group("computer", "professional", ppm=10, sd=14, dso=55)
group("consulting", "professional", ppm=12, sd=15)
group("rnd", "professional", ppm=4, sd=26, cash=150, cap=.45, dso=50, L=.42, neg=.2)
group("advertising", "professional", ppm=7, sd=11, dso=70)
group("profother", "professional", ppm=10, sd=13)
group("holding", "finance", ppm=30, sd=30, ptf=1.5, pptf=.7, paff=.9, aff=3.0, cap=1.0, dso=20, L=.4,
      neg=.05, mix=(0, 15, 0, 25, 45, 12, 3), olcur=.3, fin=False, r1=.01, r2=.03)
# Administrative services, education, health, social assistance.
group("officeadmin", "services", ppm=6, sd=10, dso=45, cap=.1, r1=.004, r2=.03)
group("employment", "services", ppm=3, sd=6, dso=45, cap=.05, cash=20, r1=.01, r2=.06)
group("bizsupport", "services", ppm=7, sd=11, dso=45, cap=.2)
group("travel", "services", ppm=3, sd=7, dso=20, cap=.05, neg=.15)
group("security", "services", ppm=4, sd=6, dso=50, cap=.12, cash=20)
group("buildingservices", "services", ppm=6, sd=9, dso=40, cap=.2, pinv=.2, dio=10)
group("waste", "services", ppm=8, sd=10, cap=1.0, dso=45, L=.63, r1=.015, r2=.05)
group("education", "services", ppm=6, sd=12, cap=.4, dso=10, cash=45, neg=.15)
group("ambulatory", "health", ppm=10, sd=12, cap=.3, dso=30)
group("physicians", "health", ppm=22, sd=16, cap=.15, dso=20, L=.5, pptf=.65, ptf=.9, r1=0, r2=.002,
      **PROFESSION)
group("dentists", "health", ppm=15, sd=12, cap=.25, dso=15, L=.48, pptf=.55, ptf=.45, r1=0, r2=.003,
      **PROFESSION)
group("practitioners", "health", ppm=16, sd=14, cap=.25, dso=15, pptf=.45, ptf=.35, r1=0, r2=.002,
      **PROFESSION)
group("labs", "health", ppm=12, sd=12, cap=.6, dso=40, r1=.02, r2=.08)
group("homehealth", "health", ppm=5, sd=8, cap=.05, dso=45, pinv=.05, neg=.1)
group("hospital", "health", ppm=4, sd=8, cap=1.5, dso=35, L=.65, r1=.2, r2=.3)
group("nursing", "health", ppm=6, sd=9, cap=2.5, dso=20, L=.75, mix=(0, 60, 0, 15, 18, 5, 2), r1=.02, r2=.08)
group("social", "health", ppm=5, sd=10, cap=.35, dso=20, neg=.1)
group("childcare", "health", ppm=6, sd=11, cap=.45, dso=5, neg=.15)
# Arts, accommodation, food.
group("performing", "services", ppm=5, sd=14, cap=.3, neg=.2)
group("heritage", "services", ppm=3, sd=12, cap=2.0)
group("amusement", "services", ppm=6, sd=14, cap=1.2, cyc=.3, neg=.15)
group("casino", "services", ppm=15, sd=12, cap=1.5, r1=.1)
group("recreation", "services", ppm=4, sd=14, cap=1.8, L=.62, neg=.18)
group("hotel", "hospitality", ppm=6, sd=14, gm=None, pinv=.3, dio=10, dso=10, cash=55, cap=3.5, lcur=.2, L=.68,
      mix=(0, 60, 0, 15, 17, 6, 2), cyc=.45, sc=.15, r1=.006, r2=.04)
group("rvpark", "hospitality", ppm=8, sd=14, gm=None, pinv=.2, dso=5, cash=55, cap=3.5, lcur=.2, L=.6,
      mix=(0, 60, 0, 15, 17, 6, 2), neg=.1, r1=0, r2=.005)
# About a third of restaurants and bars owe more than they own: fitted-out
# leased premises financed by the owner's loans and equipment leases, and
# losses of the first years.
group("fullservice", "hospitality", ppm=2.5, sd=7, gm=63, cash=25, dpo=15, cap=.35, L=.8, neg=.4)
group("limitedservice", "hospitality", ppm=4, sd=6.5, gm=66, cap=.35, cash=25, dpo=15, L=.78, neg=.38)
group("specialfood", "hospitality", ppm=5, sd=8, gm=58, dso=25, neg=.18, r1=.005, r2=.03)
group("drinking", "hospitality", ppm=5, sd=9, gm=68, cap=.5, L=.8, neg=.4)
# Other services.
group("autorepair", "services", ppm=6, sd=8, gm=45, gsd=8, pinv=.8, dio=25, dso=20, cap=.25, neg=.14, r1=0,
      r2=.003)
group("electronicrepair", "services", ppm=7, sd=10, gm=45, gsd=10, pinv=.6, dio=30, dso=40, cap=.1)
group("machineryrepair", "services", ppm=8, sd=9, gm=36, gsd=10, pinv=.6, dio=40, dso=50, cap=.3)
group("householdrepair", "services", ppm=6, sd=10, gm=45, gsd=10, pinv=.5, dio=30, dso=10, cap=.2, neg=.14,
      r1=0)
# Salons and spas: leased chairs and fittings, owners' loans, a third in deficit.
group("personalcare", "services", ppm=7, sd=10, cap=.3, dso=3, L=.8, neg=.4, r1=0, r2=.002)
group("funeral", "services", ppm=12, sd=10, gm=55, gsd=10, pinv=.8, dio=90, dso=35, cap=1.6, L=.5,
      mix=(0, 40, 0, 25, 20, 13, 2), r1=.004, r2=.03)
group("drycleaning", "services", ppm=6, sd=9, cap=.6, dso=4, neg=.2, r1=0)
group("personalother", "services", ppm=7, sd=11, cap=.4, dso=8, neg=.2, r1=0)
group("org", "services", ppm=3, sd=10, cap=.6, cash=60, L=.45)

# How larger enterprises differ: less spread, more bonds and affiliates,
# fewer losses. Short-term paper only where the group issues it at all
# (lenders, utilities, pipelines, railways, carriers), more of it when large.
VOLUME_MOD = {
    1: dict(sd=.5, paff=4.0, aff=2.0, mix_add=(0, 0, 12, 0, 5, 0, 3), paper=1.5),
    2: dict(sd=.7, paff=2.2, aff=1.4, mix_add=(0, 0, 2, 0, 2, 0, 1), paper=1.0),
    3: dict(sd=1.0, paff=1.0, aff=1.0, mix_add=(0,) * 7, paper=1.0),
}
# ---------------------------------------------------------------- industries


def load_master():
    with open(os.path.join(HERE, "naics_master.csv"), encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f))
    for r in rows:
        r["n3"] = int(r["n3"] or 0)
        r["n1"] = int(r["n1"]) if r["n1"] else None
        r["n2"] = int(r["n2"]) if r["n2"] else None
        r["unlisted"] = r["unlisted"] == "y"
        if r["group"] != "none" and r["group"] not in GROUPS:
            raise SystemExit("naics_master.csv: unknown group %r for %s" % (r["group"], r["code"]))
    rows.sort(key=lambda r: r["code"])
    return rows


class Leaf:
    """The enterprises of an industry that no listed sub-industry holds: a
    listed industry without children, or the rest of a parent whose
    classification has sub-industries that are not listed."""

    def __init__(self, key, ind, n3, n1, n2):
        self.key, self.group, self.pattern = key, GROUPS[ind["group"]], ind["region"] or "default"
        self.counts = {1: n1, 2: n2, 3: n3}


def parent_of(code, codes):
    for k in range(len(code) - 1, 1, -1):
        if code[:k] in codes:
            return code[:k]
    return None


def build_leaves(master):
    """Leaves of every industry, and enterprise counts by volume (all of
    Canada) for every leaf."""
    by_code = {r["code"]: r for r in master if r["group"] != "none"}
    children = {c: [] for c in by_code}
    for c in by_code:
        p = parent_of(c, by_code)
        if p:
            children[p].append(c)
    leaves_of = {}
    totals = {}

    def derived(ind, n3, volume, key):
        g = GROUPS[ind["group"]]
        r = g["r1"] if volume == 1 else g["r2"]
        return int(round(n3 * r * math.exp(0.25 * rng_for("counts", key, volume).standard_normal())))

    def visit(code):
        ind = by_code[code]
        own = []
        sums = {1: 0, 2: 0, 3: 0}
        for ch in sorted(children[code]):
            visit(ch)
            own += leaves_of[ch]
            for v in sums:
                sums[v] += totals[ch][v]
        n3 = max(0, ind["n3"] - sums[3])
        key = code if not children[code] else code + "*"
        counts = {3: n3}
        for v, given in ((1, ind["n1"]), (2, ind["n2"])):
            if given is not None:
                counts[v] = max(0, given - sums[v])
            else:
                counts[v] = derived(ind, n3, v, key)
        # Where the classification divides a parent into exactly the listed
        # children, they are the whole parent; otherwise the parent keeps the
        # part of it that is not listed (grain milling and other food in
        # food manufacturing, sheep, goats and aquaculture in animal
        # production...), however small.
        if children[code] and not ind["unlisted"]:
            counts = {v: 0 for v in counts}
        elif children[code] and counts[3] <= 0:
            raise SystemExit("naics_master.csv: %s has unlisted sub-industries but no enterprises beyond its "
                             "listed ones" % code)
        if any(counts.values()) or not children[code]:
            own.append(Leaf(key, ind, counts[3], counts[1], counts[2]))
        leaves_of[code] = own
        totals[code] = {v: sums[v] + counts[v] for v in sums}

    for c in sorted(by_code):
        if c not in leaves_of and parent_of(c, by_code) is None:
            visit(c)
    return leaves_of


def provincial_counts(leaf):
    """Small enterprises of a leaf by province and territory."""
    n3 = leaf.counts[3]
    if n3 <= 0:
        return {}
    rng = rng_for("provinces", leaf.key)
    noise = np.exp(0.12 * rng.standard_normal(len(LEAF_SHARES)))
    raw = {}
    for i, (reg, share) in enumerate(LEAF_SHARES.items()):
        if leaf.pattern in SHARES:
            s = SHARES[leaf.pattern].get(reg, 0.0)
        else:
            mult = MULTIPLIERS.get(leaf.pattern, MULTIPLIERS["default"])
            s = share * mult.get(reg, MULTIPLIERS["default"].get(reg, 1.0))
        raw[reg] = s * noise[i]
    scale = n3 / sum(raw.values())
    return {reg: int(round(v * scale)) for reg, v in raw.items()}


# Share of enterprises that close (and about as many open) in a normal
# year; larger enterprises also cross the bounds of their revenue volume.
CHURN = {1: .1, 2: .08, 3: .06}


def cell_counts(base, g, volume, region, key):
    """Enterprise counts of a leaf cell in 2008, 2009 and 2010. Every year
    some enterprises close and others open; where revenue falls fewer open
    and more close, by how deep the recession goes in the industry and the
    province (or by the group's own story)."""
    if base <= 0:
        return {y: 0 for y in YEARS}
    depth = REGION_DEPTH.get(region, 1.0)
    industry = rng_for("firms", key).standard_normal(2)
    rng = rng_for("firms", key, volume, region)
    churn = CHURN[volume]
    counts = {2008: base}
    n = base
    for i, year in enumerate((2009, 2010)):
        if g["cnt"]:
            change = g["cnt"][i] * (0.5 + 0.5 * depth)
        else:
            change = 0.012 - SHAPE["count"][i] * g["cyc"] * depth
        change += 0.008 * industry[i] + 0.01 * rng.standard_normal()
        exits = churn + 0.6 * max(0.0, -change)
        entries = max(0.005, exits + change)
        n = int(rng.binomial(n, 1.0 - exits) + rng.poisson(n * entries))
        counts[year] = n
    return counts


# ----------------------------------------------------------------- enterprises

RATIOS = ["NPM", "PPM", "OPM", "GPM", "ORTTNOA", "RNOA", "PPA", "RCE", "RE", "DE", "RT", "IT", "WC", "LTA", "IC"]
DECIMALS = {"DE": 2, "LTA": 2, "WC": 2, "IC": 2}
LOWER_IS_BETTER = {"DE", "LTA"}
STRUCTURE = ["A11", "A12", "A13", "A18", "A19", "TOTOA", "A14", "A151617", "TOTASS",
             "A22", "A25200", "A25500", "A25400", "A25180", "A24", "A2329", "A27", "TOTLIAB",
             "A31", "A38", "A283334", "TOTSE", "TOTLSE", "CURASS", "CURLiab"]
LOSSES = ["OPL", "PPL", "NPL"]
COLUMNS = RATIOS + STRUCTURE + LOSSES
NR, NS = len(RATIOS), len(STRUCTURE)
HEADER = (["NAICS", "NumberOfFirms"] + [p + q for p in RATIOS for q in ("Q1", "Q2", "Q3")] + STRUCTURE +
          ["OPP", "OPL", "PPP", "PPL", "NPP", "NPL"])
KZ = 25   # normal draws per enterprise
KU = 17   # uniform draws per enterprise
RHO = 0.8  # how much of an enterprise's position it keeps from one year to the next


class Effects:
    """How an industry, and the industry in one province and volume, differ
    from their group: drawn once, so they persist from year to year."""

    def __init__(self, leaf, volume, region):
        g = leaf.group
        ri = rng_for("industry", leaf.key)
        d = np.clip(ri.standard_normal(12), -1.5, 1.5)
        self.margin = 0.08 * g["sd"] * d[0]
        self.gm = 0.03 * (g["gm"] or 0) * d[1]
        self.cap = math.exp(0.1 * d[2])
        self.dso = math.exp(0.1 * d[3])
        self.dio = math.exp(0.1 * d[4])
        self.lev = 0.05 * d[5]  # in spreads of the group's leverage
        self.cash = math.exp(0.1 * d[6])
        self.ar_sd = 0.45 + 0.2 * abs(d[7])   # spreads differ by industry too
        self.cap_sd = 0.45 + 0.25 * abs(d[8])
        self.sd = math.exp(0.15 * d[9])
        self.sc = math.exp(0.5 * d[10])
        self.surplus = math.exp(0.7 * d[11])
        # The years: the recession's depth in the industry and the province,
        # or the group's own story, and each industry's own moves.
        ys = np.clip(ri.standard_normal(6), -2.0, 2.0)
        rc = rng_for("cell", leaf.key, volume, region).standard_normal(5)
        depth = REGION_DEPTH.get(region, 1.0)
        sd, cyc = g["sd"], g["cyc"] * depth
        if g["path"]:
            path = [m * (0.5 + 0.5 * depth) for m in g["path"]]
            self.year_margin = {2008: path[0], 2009: path[1] + 0.03 * sd * ys[0], 2010: path[2] + 0.03 * sd * ys[1]}
            self.year_gm = {y: 0.4 * path[i] + 0.5 * ys[i + 1] for i, y in enumerate((2008, 2009, 2010))}
            self.year_turn = {y: math.exp(0.012 * path[i]) for i, y in enumerate((2008, 2009, 2010))}
        else:
            m, gm, tu = SHAPE["margin"], SHAPE["gm"], SHAPE["turn"]
            self.year_margin = {2008: 0.0, 2009: sd * (m[0] * cyc + 0.07 * ys[0]),
                                2010: sd * (m[1] * cyc + 0.07 * ys[1])}
            self.year_gm = {2008: 0.0, 2009: gm[0] * cyc + 0.8 * ys[2], 2010: gm[1] * cyc + 0.8 * ys[3]}
            self.year_turn = {2008: 1.0, 2009: math.exp(tu[0] * cyc + 0.03 * ys[4]),
                              2010: math.exp(tu[1] * cyc + 0.03 * ys[5])}
        self.year_margin[2009] += 0.03 * sd * rc[3]
        self.year_margin[2010] += 0.03 * sd * rc[4]
        self.margin += 0.1 * sd * rc[0]
        self.cap *= math.exp(0.08 * rc[1])
        self.lev += 0.06 * rc[2]


NORMAL = statistics.NormalDist()


def simulate(g, eff, volume, year, Z, U, E):
    """Statements of a cell's enterprises in one year, as the columns the
    published figures are computed from (COLUMNS). Amounts are per dollar of
    operating revenue."""
    vm = VOLUME_MOD[volume]
    X = RHO * Z + math.sqrt(1 - RHO * RHO) * E
    n = Z.shape[0]
    sd = g["sd"] * vm["sd"] * eff.sd
    # A group's own story of the years holds for enterprises of every size.
    ppm = g["ppm"] + eff.margin * vm["sd"] + eff.year_margin[year] * (1.0 if g["path"] else vm["sd"])
    tail = np.where(U[:, 4] < 0.1, 2.2, 1.0)
    p = ppm + sd * (0.75 * X[:, 0] + 0.66 * X[:, 1]) * tail
    p = np.clip(p, -150.0, 90.0)
    turn = eff.year_turn[year]

    if g["gm"]:
        gm_med = g["gm"] + eff.gm + eff.year_gm[year]
        sales = np.clip(0.97 + 0.03 * X[:, 2], 0.6, 1.0)
        gm = np.clip(gm_med + g["gsd"] * X[:, 3] + 0.3 * (p - ppm), 2.0, 95.0) / 100.0
        gp = sales * gm
        cogs = sales - gp
        cost = cogs
    else:
        sales = gp = cogs = np.zeros(n)
        cost = np.full(n, 0.3)

    ar = np.maximum(g["dso"] * eff.dso / 365.0 * np.exp(eff.ar_sd * X[:, 4]), 0.0005) / turn
    inv = (U[:, 0] < g["pinv"]) * cost * g["dio"] * eff.dio / 365.0 * np.exp(0.5 * X[:, 5]) / turn
    cash = g["cash"] * eff.cash / 365.0 * np.exp(0.8 * X[:, 6]) / turn
    ca = g["cap"] * eff.cap * np.exp(eff.cap_sd * X[:, 7]) / turn
    oa = g["oa"] * np.exp(0.7 * X[:, 8])
    aff = (U[:, 1] < min(1.0, g["paff"] * vm["paff"])) * g["aff"] * vm["aff"] * np.exp(0.9 * X[:, 9])
    ptf = (U[:, 2] < g["pptf"]) * g["ptf"] * np.exp((0.4 if g["fin"] else 0.9) * X[:, 10])
    toa = cash + ar + inv + ca + oa
    ta = toa + aff + ptf

    # Liabilities to assets: log-normal around the group's median, with the
    # spread that puts the group's share of enterprises above 1; loss-makers
    # owe more. Portfolio investments are bought with retained earnings
    # (except by lenders and insurers, whose investments are their business).
    neg = min(0.45, g["neg"] * NEGATIVE_EQUITY[volume])
    spread = -math.log(g["L"]) / NORMAL.inv_cdf(1.0 - neg)
    s = (X[:, 11] - 0.35 * X[:, 0]) / math.sqrt(1 + 0.35 ** 2)
    lev = g["L"] * np.exp(spread * (s + eff.lev))
    lev = np.clip(np.where(lev > 1.0, 1.0 + 0.8 * (lev - 1.0), lev), 0.01, 2.5)
    tl = lev * (ta if g["fin"] else ta - 0.7 * ptf)
    ap = np.minimum(g["dpo"] / 365.0 * (cost + 0.25) * np.exp(0.5 * X[:, 13]), 0.8 * tl)
    rest = tl - ap
    fp = np.minimum(g["fp"] * inv, rest)
    rest = rest - fp
    mix = np.array(g["mix"], dtype=float) + np.array(vm["mix_add"], dtype=float)
    mix[0] *= vm["paper"]
    w = mix[None, :] * np.exp(0.8 * X[:, 14:21]) * (U[:, 5:12] > 0.15)
    none = w.sum(axis=1) == 0
    w[none, 3] = 1.0
    parts = rest[:, None] * w / w.sum(axis=1)[:, None]
    paper, mtg, bonds, loans, owing, oliab, dtax = (parts[:, k] for k in range(7))
    loans_cur = fp + g["lcur"] * loans
    loans = loans + fp

    eq = ta - tl
    share_cap = ta * np.where(U[:, 15] < ISSUED_CAPITAL[volume],
                              np.minimum(g["sc"] * eff.sc * np.exp(0.8 * X[:, 21] - 0.32), 0.9), 0.0005)
    surplus = (U[:, 12] < WITH_SURPLUS[volume]) * ta * 0.1 * eff.surplus * np.exp(X[:, 22] - 0.5)
    retained = eq - share_cap - surplus

    debt = paper + mtg + bonds + loans + owing
    interest = (RATE[year] * (paper + mtg + bonds + loans + 0.4 * owing) * np.exp(0.25 * X[:, 23]) +
                g["dep"] * oliab)
    pretax = p / 100.0
    other = 0.0 if g["fin"] else 0.035 * (aff + ptf)
    op = pretax + interest - other
    tax = np.where(pretax > 0, pretax * TAX_RATE[volume] * (0.5 + 0.6 * U[:, 13]), pretax * 0.05 * U[:, 13])
    # Items after tax (discontinued operations, an unusual loss) for a few.
    unusual = np.where(U[:, 14] < 0.12, 0.012 * X[:, 24] - 0.004, 0.0)
    net = pretax - tax + unusual

    cur_a = cash + ar + inv + 0.3 * oa + (0.0 if g["fin"] else 0.25) * ptf
    on_demand = np.where(U[:, 16] < g["shcur"] * ON_DEMAND[volume], 1.0, 0.1)
    cur_l = ap + paper + loans_cur + 0.06 * mtg + 0.04 * bonds + on_demand * owing + g["olcur"] * oliab

    nan = np.nan
    with np.errstate(divide="ignore", invalid="ignore"):
        noa = ta - aff - ptf - ap
        ce = mtg + eq + bonds + loans + paper + owing
        pos_eq = eq > 0
        cols = [
            net * 100, pretax * 100, op * 100,
            np.where(sales > 0, gp / sales * 100, nan),
            np.where(noa > 0, 100 / noa, nan),
            np.where(noa > 0, op / noa * 100, nan),
            pretax / ta * 100,
            np.where(ce > 0, (interest + net) / ce * 100, nan),
            np.where(pos_eq, net / eq * 100, nan),
            np.where(pos_eq, debt / eq, nan),
            1 / ar,
            np.where((inv > 0) & (sales > 0), cogs / inv, nan),
            np.where(cur_l > 0, cur_a / cur_l, nan),
            tl / ta,
            np.where(interest > 0, (interest + pretax) / interest, nan),
        ]
        pct = 100 / ta
        cols += [x * pct for x in (cash, ar, inv, ca, oa, toa, aff, ptf, ta, ap, paper, mtg, bonds, loans, owing,
                                   oliab, dtax, tl, share_cap, retained, surplus, eq, ta, cur_a, cur_l)]
        cols += [(op < 0) * 1.0, (pretax < 0) * 1.0, (net < 0) * 1.0]
    return np.column_stack(cols)


def weights(total, n):
    """Whole-number weights of n sampled enterprises standing for total."""
    base, extra = divmod(total, n)
    w = np.full(n, base, dtype=np.int64)
    w[:extra] += 1
    return w


def simulate_cells(leaves, year):
    """Every leaf cell of a year: (leaf key, volume, region) -> (matrix, weights)."""
    cells = {}
    for leaf in leaves:
        places = [(1, "ALL", leaf.counts[1]), (2, "ALL", leaf.counts[2])]
        places += [(3, reg, n) for reg, n in leaf.provincial.items()]
        for volume, region, base in places:
            counts = cell_counts(base, leaf.group, volume, region, leaf.key)
            if counts[year] <= 0:
                continue
            n_all = min(max(counts.values()), CAP)
            n = min(counts[year], CAP)
            rng = rng_for("enterprises", leaf.key, volume, region)
            Z = rng.standard_normal((n_all, KZ))[:n]
            U = rng.random((n_all, KU))[:n]
            E = rng_for("year", leaf.key, volume, region, year).standard_normal((n_all, KZ))[:n]
            eff = Effects(leaf, volume, region)
            cells[(leaf.key, volume, region)] = (simulate(leaf.group, eff, volume, year, Z, U, E),
                                                 weights(counts[year], n))
    return cells


# ----------------------------------------------------------------- figures


def quartiles(x, w, total_firms):
    """Weighted quartiles (the smallest value at or above which a quarter, a
    half, three quarters of the enterprises lie), or None where too few
    enterprises have a meaningful value. Pooling keeps a group's quartile
    between its members' quartiles."""
    ok = ~np.isnan(x)
    x, w = x[ok], w[ok]
    pop = int(w.sum())
    if pop < MEDIAN_FROM or pop < MEANINGFUL_SHARE * total_firms:
        return None
    order = np.argsort(x, kind="stable")
    xs = x[order]
    cw4 = np.cumsum(w[order]) * 4
    q = [float(xs[np.searchsorted(cw4, k * pop, side="left")]) for k in (1, 2, 3)]
    if pop < QUARTILES_FROM:
        q[0] = q[2] = None
    return q


def fmt(value, decimals):
    text = "%.*f" % (decimals, value)
    if float(text) == 0:
        text = "%.*f" % (decimals, 0.0)  # no "-0.0"
    return text


def published(value, decimals):
    """A boundary as published; one that would round to 0 reads as 'not
    published' in the program, so it is moved one unit away from 0."""
    text = fmt(value, decimals)
    if float(text) == 0:
        unit = 10 ** -decimals
        text = fmt(unit if value >= 0 else -unit, decimals)
    return text


# Subtotals of the structure and the items they add up.
SUMS = {"TOTOA": ["A11", "A12", "A13", "A18", "A19"],
        "TOTLIAB": ["A22", "A25200", "A25500", "A25400", "A25180", "A24", "A2329", "A27"],
        "TOTSE": ["A31", "A38", "A283334"]}


def figures(code, parts):
    """The published row of an industry from the enterprises of its cells."""
    M = np.concatenate([m for m, _ in parts])
    w = np.concatenate([x for _, x in parts])
    firms = int(w.sum())
    row = {"NAICS": code, "NumberOfFirms": str(firms)}
    for j, name in enumerate(RATIOS):
        d = DECIMALS.get(name, 1)
        q = quartiles(M[:, j], w, firms)
        if q is None:
            out = ["0", "0", "0"]
        else:
            if name in LOWER_IS_BETTER:  # the weaker quarter's boundary first
                q = q[::-1]
            out = ["0" if v is None else published(v, d) for v in q]
        row[name + "Q1"], row[name + "Q2"], row[name + "Q3"] = out
    means = (M[:, NR:] * w[:, None]).sum(axis=0) / firms
    for j, name in enumerate(STRUCTURE):
        row[name] = fmt(means[j], 1)
    row["TOTASS"] = row["TOTLSE"] = "100.0"
    # A rounded total can differ from the sum of its rounded items by more
    # than the rounding allows in rare rows; it is then written one tenth
    # closer to that sum.
    for total, items in SUMS.items():
        s = sum(float(row[i]) for i in items)
        t = float(row[total])
        if abs(t - s) > 0.05 * len(items) + 1e-7:
            row[total] = fmt(t + (0.1 if s > t else -0.1), 1)
    for k, name in enumerate(LOSSES):
        loss = means[NS + k] * 100
        row[name] = fmt(loss, 1)
        row[name[0] + "PP"] = fmt(100 - loss, 1)
    return row
# ------------------------------------------------------- totals and members
#
# A total pools its members' enterprises, so its figures lie within its
# members' range. Where the members published in the same data set hold
# nearly all of a total's enterprises (MEMBERS_HOLD_PERCENT) but not all of them,
# the few others (an unlisted rest, a province too small to publish) can
# still move a quartile one step or a mean a little past that range; the
# figure is then published at the nearest member's value, as a reader who
# compares a total with its parts expects. The counts are kept.

MEMBERS_HOLD_PERCENT = 95
FIGURES = ([p + q for p in RATIOS for q in ("Q1", "Q2", "Q3")] + STRUCTURE +
           ["OPP", "OPL", "PPP", "PPL", "NPP", "NPL"])
QUARTILE_COLUMNS = set(FIGURES[:3 * NR])


def member_ranges(row, members):
    firms = int(row["NumberOfFirms"])
    if not members or 100 * sum(int(m["NumberOfFirms"]) for m in members) < MEMBERS_HOLD_PERCENT * firms:
        return None
    ranges = {}
    for col in FIGURES:
        values = [float(m[col]) for m in members]
        if col in QUARTILE_COLUMNS and (float(row[col]) == 0 or 0 in values):
            continue  # not published somewhere: nothing to compare
        lo, hi = min(values), max(values)
        ranges[col] = (lo, hi, {float(m[col]): m[col] for m in members})
    return ranges


def hold_within_members(by_set, codes, stats):
    """by_set: (volume, region) -> {code: row} of one year, changed in place.
    Members come before their totals: provinces before regions before all of
    Canada, sub-industries before their parent."""
    order = [(1, "ALL"), (2, "ALL")] + [(3, r) for r in LEAF_SHARES] + [(3, r) for r in AGGREGATES] + [(3, "ALL")]
    for volume, region in order:
        table = by_set.get((volume, region))
        if not table:
            continue
        kids = {}
        for c in table:
            p = parent_of(c, codes)
            if p in table:
                kids.setdefault(p, []).append(table[c])
        for code in sorted(table, key=lambda c: (-len(c), c)):
            row = table[code]
            kinds = [member_ranges(row, kids.get(code))]
            if volume == 3 and region not in LEAF_SHARES:
                places = [by_set.get((3, r), {}).get(code) for r in regions_of(3, region)]
                kinds.append(member_ranges(row, [m for m in places if m]))
            allowed = {}
            moved = False
            for col in FIGURES:
                bounds = [k[col] for k in kinds if k and col in k]
                if not bounds:
                    continue
                lo = max(b[0] for b in bounds)
                hi = min(b[1] for b in bounds)
                allowed[col] = (lo, hi)
                v = float(row[col])
                stats["figures"] += 1
                if lo > hi:
                    stats["disjoint"] += 1
                    continue
                if v < lo or v > hi:
                    target = lo if v < lo else hi
                    text = next(b[2][target] for b in bounds if target in b[2])
                    stats["moved"] += 1
                    stats["moved_by"].append(abs(v - target))
                    row[col] = text
                    moved = True
            if moved and not add_up(row, allowed):
                stats["unbalanced"] += 1
                print("generate.py: Vol%d %s industry %s no longer adds up" % (volume, region, code),
                      file=sys.stderr)


# Totals of the structure and the shares, and how far a total may be from the
# sum of its rounded items.
BALANCES = list(SUMS.items()) + [
    ("TOTASS", ["TOTOA", "A14", "A151617"]), ("TOTLSE", ["TOTLIAB", "TOTSE"]),
    ("*100", ["OPP", "OPL"]), ("*100", ["PPP", "PPL"]), ("*100", ["NPP", "NPL"])]


def add_up(row, allowed):
    """After figures were moved, nudges a total or an item by a tenth (within
    what the members allow) until every total agrees with its items again.
    Returns False when that is not possible."""
    def room(col, step):
        v = round(float(row[col]) + step, 1)
        lo, hi = allowed.get(col, (-1e9, 1e9))
        return lo - 1e-9 <= v <= hi + 1e-9

    for _ in range(20):
        wrong = None
        for total, items in BALANCES:
            t = 100.0 if total == "*100" else float(row[total])
            diff = sum(float(row[i]) for i in items) - t
            tol = 0.05 * (len(items) if total != "*100" else 2)
            if abs(diff) > tol + 1e-7:
                wrong = (total, items, diff)
                break
        if wrong is None:
            return True
        total, items, diff = wrong
        step = 0.1 if diff > 0 else -0.1
        # Items first: a subtotal is itself an item of a grand total.
        for i in sorted(items, key=lambda c: -abs(float(row[c]))):
            if room(i, -step):
                row[i] = fmt(float(row[i]) - step, 1)
                break
        else:
            if total in ("*100", "TOTASS", "TOTLSE") or not room(total, step):
                return False
            row[total] = fmt(float(row[total]) + step, 1)
    return False


# ---------------------------------------------------------------- the files


def write_csv(path, header, rows):
    with open(path, "w", encoding="utf-8", newline="") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(header)
        for r in rows:
            w.writerow([r[h] for h in header] if isinstance(r, dict) else r)


def dataset_description(opt, volume, region, n, years, note):
    en_vol, fr_vol = VOLUME_NAMES[volume]
    en_reg, fr_reg = REGION_NAMES[region]
    if years:
        en_years = ", ".join(str(y) for y in years[:-1]) + (" and " if len(years) > 1 else "") + str(years[-1])
        fr_years = ", ".join(str(y) for y in years[:-1]) + (" et " if len(years) > 1 else "") + str(years[-1])
    en = ("Volume %d, %s: %s. Financial ratios, balance-sheet structure and shares of enterprises "
          "with profits and losses for %d industries, reference years %s." % (volume, en_reg, en_vol, n, en_years))
    fr = ("Volume %d, %s : %s. Ratios financiers, structure du bilan et proportions d'entreprises "
          "avec bénéfices et avec pertes pour %d industries, années de référence %s." % (volume, fr_reg, fr_vol, n, fr_years))
    if note:
        en += " " + note[0]
        fr += " " + note[1]
    en += " The figures are illustrative, generated for demonstration: they are not official statistics."
    fr += " Les données sont illustratives, produites à titre de démonstration : ce ne sont pas des statistiques officielles."
    return en, fr


# ---------------------------------------------------------------- data sets


def regions_of(volume, region):
    if volume != 3:
        return ("ALL",)
    if region == "ALL":
        return tuple(LEAF_SHARES)
    return AGGREGATES.get(region, (region,))


def in_dataset(volume, region, n):
    if region == "ALL":
        return n >= THRESHOLD[volume]
    if region in TERRITORIES or region == "TERRITORIES":
        return n >= THRESHOLD_TERRITORY
    return n >= THRESHOLD_REGION


def has_figures(region, year):
    """Whether a leaf region has figures for a year: a table left out or
    empty has none, and adds nothing to the totals of that year."""
    return (region, year) not in ABSENT_TABLES and (region, year) not in EMPTY_TABLES


def base_count(leaves, volume, region, year=None):
    """Enterprises of an industry in a data set; in a year, those of the
    regions with figures for it."""
    if volume != 3:
        return sum(l.counts[volume] for l in leaves)
    return sum(l.provincial.get(r, 0) for l in leaves for r in regions_of(3, region)
               if year is None or has_figures(r, year))


def table_name(volume, region, year):
    return "ZORVA_Vol%s_%s_%s_Final_Ratios" % (volume, region, year)


def target_value(t, code, tables, codes):
    """The figure a row of targets.csv names for one industry, compared as
    its versus column says; None where a figure is missing."""
    def figure(region, year, c):
        row = tables.get(table_name(t["volume"], region, year), {}).get(c)
        return float(row[t["column"]]) if row else None

    value = figure(t["region"], t["year"], code)
    if not t["versus"] or value is None:
        return value
    op, ref = t["versus"].split()
    if ref.isdigit():
        other = figure(t["region"], ref, code)
    elif ref in REGION_NAMES:
        other = figure(ref, t["year"], code)
    elif ref == "children":
        table = tables.get(table_name(t["volume"], t["region"], t["year"]), {})
        kids = [c for c in table if parent_of(c, codes) == code]
        other = sum(figure(t["region"], t["year"], c) for c in kids) if kids else None
    elif ref == "regions":
        parts = [figure(r, t["year"], code) for r in regions_of(int(t["volume"]), t["region"])]
        parts = [x for x in parts if x is not None]
        other = sum(parts) if parts else None
    else:
        raise SystemExit("targets.csv: unknown comparison %r" % t["versus"])
    if other is None:
        return None
    if op == "-":
        return value - other
    if op == "/":
        return value / other if other else None
    raise SystemExit("targets.csv: unknown comparison %r" % t["versus"])


def check_targets(tables, codes, show, targets_file):
    """Compares the generated figures of well-known industries with their
    targets; returns the number missed. A row names a figure of a data set
    and year, or compares it (versus) with another year, another region, the
    sum of the listed sub-industries or of the member regions; its code "*"
    stands for every industry of the data set, and the value is then the
    share of them (in %) that the comparison finds unchanged."""
    missed = 0
    lines = []
    with open(os.path.join(HERE, targets_file), encoding="utf-8", newline="") as f:
        for t in csv.DictReader(f):
            if t["code"] == "*":
                table = tables.get(table_name(t["volume"], t["region"], t["year"]), {})
                values = [target_value(t, c, tables, codes) for c in table]
                values = [v for v in values if v is not None]
                same = 1.0 if t["versus"].startswith("/") else 0.0
                got = 100.0 * sum(1 for v in values if abs(v - same) < 1e-9) / len(values) if values else None
            else:
                got = target_value(t, t["code"], tables, codes)
            target, tol = float(t["target"]), float(t["tolerance"])
            ok = got is not None and abs(got - target) <= tol + 1e-9
            missed += not ok
            figure = t["column"] + ((" " + t["versus"]) if t["versus"] else "")
            lines.append("| %s %s | Vol%s %s %s | %s | %s ± %s | %s | %s |" % (
                t["code"], t["industry"], t["volume"], t["region"], t["year"], figure, t["target"],
                t["tolerance"], "-" if got is None else "%.4g" % got, "yes" if ok else "**no**"))
            if not ok:
                print("generate.py: %s %s of Vol%s %s %s is %s, target %s ± %s" % (
                    t["code"], figure, t["volume"], t["region"], t["year"], got, target, tol), file=sys.stderr)
    if show:
        print("| Industry | Data set | Figure | Target | Generated | Within |")
        print("|---|---|---|---|---|---|")
        print("\n".join(lines))
    return missed


# ------------------------------------------------------------------ editions


def shipped_edition():
    """2008-2010: the recession of 2009 (SHAPE, cyc) and the groups' own
    stories written with their parameters above."""


def edition_2023():
    """2021-2023, told with the same model. Restaurants, bars, air transport
    and accommodation were still held down by the pandemic's closings and
    travel limits in 2021 and recovered through 2022 and 2023, their
    enterprise counts growing back; builders, the trades and the stores of
    home building supplies, furniture and appliances had their strongest year
    in 2021 (people stayed home and spent on houses) and came back to normal;
    rates rose through 2022 and 2023, so interest took a larger bite of the
    profits of every indebted industry and interest coverage fell in 2023.
    For the other groups the cycle is mild: a good 2022, a slower 2023."""
    global EDITION, RATE, SHAPE, REGION_DEPTH
    EDITION = 2023
    RATE = {2008: .034, 2009: .041, 2010: .066}
    SHAPE = dict(margin=(0.10, -0.12), gm=(0.3, -0.3), turn=(0.02, -0.01), count=(-0.02, 0.02))
    # Where the closings lasted longest the stories run deepest.
    REGION_DEPTH = {"QC": 1.2, "ON": 1.25, "MB": 1.1, "BC": 1.0, "AB": 0.95, "SK": 0.9, "NS": 0.85, "NB": 0.85,
                    "NL": 0.85, "PE": 0.8, "YT": 0.7, "NT": 0.8, "NU": 0.7}
    for g in GROUPS.values():  # the stories of 2008-2010 belong to those years
        g["path"], g["cnt"] = None, None
    stories = {
        # pretax margin points against a normal year in 2021, 2022 and 2023,
        # and the change of the enterprise count in 2022 and 2023
        ("fullservice", "limitedservice", "drinking", "specialfood"): ((-6.5, -2.5, -0.3), (.05, .035)),
        ("hotel", "rvpark"): ((-8.0, -2.5, 0.5), (.03, .025)),
        ("air",): ((-11.0, -4.5, -0.5), (.03, .04)),
        ("homebuild", "trades"): ((3.2, 1.4, -0.6), (.01, -.015)),
        ("nonresbuild", "civil"): ((1.2, 0.8, 0.0), None),
        ("buildsupply", "durables"): ((2.8, 0.9, -0.6), (0.0, -.01)),
    }
    for names, (path, cnt) in stories.items():
        for n in names:
            GROUPS[n]["path"], GROUPS[n]["cnt"] = path, cnt


EDITION_STORIES = {
    2010: dict(apply=shipped_edition, seed=20100331, out=("data", "industry"), targets="targets.csv"),
    2023: dict(apply=edition_2023, seed=20230331, out=("data", "editions", "2023"), targets="targets-2023.csv"),
}


def main():
    global SEED
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--edition", type=int, default=2010, choices=sorted(EDITION_STORIES))
    ap.add_argument("--seed", type=int)
    ap.add_argument("--out")
    ap.add_argument("--targets", action="store_true", help="print the targets next to the generated medians")
    args = ap.parse_args()
    story = EDITION_STORIES[args.edition]
    story["apply"]()
    SEED = args.seed if args.seed is not None else story["seed"]
    out = args.out or os.path.join(REPO, *story["out"])
    os.makedirs(out, exist_ok=True)
    for name in os.listdir(out):
        if name.endswith(".csv"):
            os.remove(os.path.join(out, name))

    master = load_master()

    # Tree folders.
    write_csv(os.path.join(out, "tblTreeview.csv"), ["NodeKey", "Parent", "sequence", "IndDescE", "IndDescF"],
              [[k, parent, (i + 1) * 10, e, f] for i, (k, parent, e, f) in enumerate(FOLDERS)])

    # NAICS description tables: Volume 1 has every industry, the others all
    # but finance and insurance (whose folder the tree shows for Volume 1 only).
    desc_header = ["NAICS", "Description", "Description_french", "Parent", "NodeKey", "sequence",
                   "definitione", "definitionf"]
    detailed, raw = [], []
    for i, ind in enumerate(master):
        row = [ind["code"], ind["title_en"], ind["title_fr"], folder_of(ind["code"]), "Ind" + ind["code"],
               (i + 1) * 10, ind["def_en"], ind["def_fr"]]
        detailed.append(row)
        if folder_of(ind["code"]) != "IndTFINANC":
            raw.append(row)
    write_csv(os.path.join(out, "ZORVA_NAICS_Description_Ind_Detailed.csv"), desc_header, detailed)
    write_csv(os.path.join(out, "ZORVA_NAICS_Description_Ind_Raw.csv"), desc_header, raw)

    # Industries, their leaves and where the leaves' enterprises are.
    leaves_of = build_leaves(master)
    unique = {}
    for leaves in leaves_of.values():
        for leaf in leaves:
            unique[leaf.key] = leaf
    for leaf in unique.values():
        leaf.provincial = provincial_counts(leaf)

    members = {}
    for opt, volume, region in DATASETS:
        members[(volume, region)] = [
            ind["code"] for ind in master
            if ind["code"] in leaves_of
            and (volume == 1 or folder_of(ind["code"]) != "IndTFINANC")
            and in_dataset(volume, region, base_count(leaves_of[ind["code"]], volume, region))
            and all(base_count(leaves_of[ind["code"]], volume, region, y) for y in YEARS
                    if any(has_figures(r, y) for r in regions_of(volume, region)))]

    # Ratio tables, a year at a time.
    tables = {}
    codes = {ind["code"] for ind in master}
    stats = {"figures": 0, "moved": 0, "disjoint": 0, "unbalanced": 0, "moved_by": []}
    for year in YEARS:
        cells = simulate_cells(unique.values(), year)
        by_set = {}
        for opt, volume, region in DATASETS:
            rows = {}
            if (region, year) in ABSENT_TABLES or (region, year) in EMPTY_TABLES:
                continue  # not published, so no total is compared with it
            for code in members[(volume, region)]:
                parts = [cells[(leaf.key, volume, reg)] for leaf in leaves_of[code]
                         for reg in regions_of(volume, region)
                         if (leaf.key, volume, reg) in cells and has_figures(reg, year)]
                rows[code] = figures(code, parts)
            by_set[(volume, region)] = rows
        hold_within_members(by_set, codes, stats)
        for opt, volume, region in DATASETS:
            name = "ZORVA_Vol%d_%s_%d_Final_Ratios" % (volume, region, edition_year(year))
            if (region, year) in ABSENT_TABLES:
                continue
            rows = list(by_set.get((volume, region), {}).values())
            write_csv(os.path.join(out, name + ".csv"), HEADER, rows)
            tables[name] = {r["NAICS"]: r for r in rows}
    if args.targets:
        moved = sorted(stats["moved_by"])
        print("Totals held within their members' range: %d of %d compared figures moved, median move %.2f, "
              "largest %.2f" % (stats["moved"], stats["figures"], moved[len(moved) // 2] if moved else 0,
                                moved[-1] if moved else 0))
    if stats["disjoint"] or stats["unbalanced"]:
        print("generate.py: %d figures lie between members whose ranges do not meet, %d rows no longer add up"
              % (stats["disjoint"], stats["unbalanced"]), file=sys.stderr)
        sys.exit(1)

    descriptions = []
    absent_rows = [["ZORVA_Vol3_%s_%d_Final_Ratios" % (region, edition_year(year)),
                    reason.format(year=edition_year(year))]
                   for (region, year), reason in sorted(ABSENT_TABLES.items())]
    for opt, volume, region in DATASETS:
        years_with_rows = [edition_year(y) for y in YEARS
                           if (region, y) not in ABSENT_TABLES and (region, y) not in EMPTY_TABLES]
        note = None
        if (region, 2010) in EMPTY_TABLES:
            note = ("No figures are published for %d, so this data set cannot be chosen." % EDITION,
                    "Aucune donnée n'est publiée pour %d : ce jeu de données ne peut pas être choisi." % EDITION)
        elif any(r == region for r, _ in ABSENT_TABLES):
            missing = [edition_year(y) for r, y in ABSENT_TABLES if r == region]
            note = ("There are no figures for %s." % ", ".join(map(str, missing)),
                    "Il n'y a pas de données pour %s." % ", ".join(map(str, missing)))
        en, fr = dataset_description(opt, volume, region, len(members[(volume, region)]),
                                     years_with_rows or [edition_year(y) for y in YEARS[1:]], note)
        descriptions.append([opt, en, fr])
    write_csv(os.path.join(out, "absent_tables.csv"), ["table", "reason"], absent_rows)
    write_csv(os.path.join(out, "datadescription.csv"), ["optname", "descriptione", "descriptionf"], descriptions)

    if check_targets(tables, codes, args.targets, story["targets"]):
        sys.exit(1)


if __name__ == "__main__":
    main()
