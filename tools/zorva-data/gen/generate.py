#!/usr/bin/env python3
"""Generates the illustrative industry data source (data/industry/*.csv).

The figures are made up: plausible per sector, consistent within each row
(balance-sheet structure adding up, quartiles in order, profit and loss shares
following the margins), moving a little from year to year, and fewer
industries in small regions. They are NOT official statistics.

The generator is deterministic: the same seed and the same inputs give the
same files byte for byte, on any Python 3 (it uses its own random number
generator, not the random module). Its output is committed; the build only
imports the CSV files and never runs this script.

Inputs, next to this script:
  naics_master.csv  industries: code, English and French titles (NAICS Canada
                    2007 / SCIAN Canada 2007), short definitions, the sector
                    profile that drives the figures, the number of small
                    enterprises (Volume 3, all of Canada), the regional
                    pattern, and optional counts for Volumes 1 and 2.

Usage: generate.py [--seed N] [--out DIR]   (default: data/industry of the repo)
"""

import argparse
import csv
import math
import os

SEED = 20100331
YEARS = (2010, 2009, 2008)
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", "..", ".."))

# ----------------------------------------------------------------- randomness

MASK = (1 << 64) - 1


def fnv1a(text):
    h = 0xCBF29CE484222325
    for b in text.encode("utf-8"):
        h ^= b
        h = (h * 0x100000001B3) & MASK
    return h


class Rng:
    """splitmix64: small, fast, and the same everywhere."""

    def __init__(self, *key):
        self.state = fnv1a("|".join(str(k) for k in (SEED,) + key))

    def next64(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        return z ^ (z >> 31)

    def uniform(self):
        return (self.next64() >> 11) / float(1 << 53)

    def normal(self):
        u1 = max(self.uniform(), 1e-12)
        u2 = self.uniform()
        return math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)

    def lognormal(self, sigma):
        return math.exp(sigma * self.normal())


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
EMPTY_TABLES = {("NU", 2010): "No figures are published for Nunavut for 2010 (illustrative gap)."}
ABSENT_TABLES = {("NT", 2008): "No 2008 figures for the Northwest Territories (illustrative gap)."}

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

# Where an industry is more (or less) common than the economy as a whole.
PATTERNS = {
    "default": {"YT": .8, "NT": .8, "NU": .8},
    "crop": {"SK": 4, "MB": 2.2, "AB": 2, "PE": 2, "ON": .8, "QC": .8, "BC": .5, "NS": .5, "NB": .5,
             "NL": .1, "YT": .05, "NT": .03, "NU": .01},
    "livestock": {"AB": 2.6, "SK": 2, "MB": 2, "QC": 1.2, "PE": 1.5, "BC": .7, "NL": .3,
                  "YT": .1, "NT": .03, "NU": .01},
    "forest": {"BC": 2.2, "QC": 1.7, "NB": 3, "NS": 1.6, "NL": 1.2, "ON": .6, "AB": .7, "SK": .5,
               "MB": .5, "PE": .4, "YT": 1.5, "NT": 1, "NU": .05},
    "fish": {"NL": 9, "NS": 9, "PE": 10, "NB": 5, "BC": 2.2, "QC": .6, "ON": .1, "MB": .4, "SK": .05,
             "AB": .02, "YT": .5, "NT": 1, "NU": 3},
    "oil": {"AB": 6, "SK": 2.5, "BC": 1, "NL": 2, "ON": .1, "QC": .05, "MB": .5, "NS": .3, "NB": .2,
            "PE": .02, "NT": 3, "YT": .5, "NU": .5},
    "mine": {"QC": 1.3, "BC": 1.5, "SK": 1.5, "NL": 2, "YT": 6, "NT": 6, "NU": 8, "AB": 1.5,
             "MB": 1.5, "NB": 1, "NS": .8, "PE": .1},
    "tourism": {"BC": 1.3, "PE": 2, "NS": 1.3, "YT": 4, "NT": 2, "NU": 1.5},
    "north": {"YT": 6, "NT": 8, "NU": 12, "BC": 1.4, "AB": 1.2},
}

# Smallest group whose figures are published.
THRESHOLD = {1: 10, 2: 12, 3: 15}
THRESHOLD_REGION = 30
THRESHOLD_TERRITORY = 15

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


# ------------------------------------------------------------------ profiles
#
# Figures of small enterprises (Volume 3, all of Canada) in a normal year.
#   npm     net profit margin quartiles, %
#   gpm     gross profit margin quartiles, % (None: not published)
#   ortnoa  median operating revenue to net operating assets, %
#   rt, it  median receivable and inventory turnover (it None: not published)
#   ic      median interest coverage
#   intr    interest expense, points of revenue (operating margin = pretax + intr)
#   assets  weights of cash, receivables, inventory, capital assets, other
#           assets, investments with affiliates, portfolio investments
#   liab    weights of payables, short term paper, mortgages, bonds, loans,
#           owing to affiliates, other liabilities, deferred tax
#   L       liabilities in % of assets (/100)
#   eq      weights of share capital, retained earnings, other surplus
#   cyc     how much the 2009 recession shows (0 to 1)
#   r1, r2  enterprises of Volumes 1 and 2 per small enterprise

def profile(npm, gpm, ortnoa, rt, it, ic, intr, assets, liab, L, eq, cyc, r1, r2):
    return dict(npm=npm, gpm=gpm, ortnoa=ortnoa, rt=rt, it=it, ic=ic, intr=intr, assets=assets,
                liab=liab, L=L, eq=eq, cyc=cyc, r1=r1, r2=r2)


PROFILES = {
    "crop": profile((1.5, 8.5, 18), (25, 42, 62), 45, 15, 2.6, 3.2, 2.5,
                    [7, 5, 13, 66, 4, 2.5, 2.5], [5, 0, 30, 0.1, 35, 18, 7, 5], .52, [2, 90, 8], .3, .0007, .005),
    "livestock": profile((-1.5, 5, 13), (18, 35, 55), 60, 20, 3.5, 2.6, 2.8,
                         [6, 5, 16, 64, 4, 2.5, 2.5], [6, 0, 28, 0.1, 38, 16, 7, 5], .58, [2, 88, 10], .3, .0008, .006),
    "forestry": profile((0.5, 5, 12), (15, 28, 45), 150, 8, 10, 2.8, 2.2,
                        [9, 14, 4, 60, 7, 3, 3], [14, 0, 12, 0.1, 40, 20, 9, 5], .62, [3, 85, 12], .6, .002, .02),
    "fishing": profile((0, 7, 17), (20, 38, 55), 90, 14, 20, 3.0, 2.4,
                       [10, 6, 3, 52, 24, 2.5, 2.5], [6, 0, 14, 0.1, 45, 20, 10, 5], .6, [3, 85, 12], .4, .001, .01),
    "agsupport": profile((1, 7, 15), None, 220, 7, 20, 3.5, 1.8,
                         [16, 18, 3, 52, 6, 2.5, 2.5], [14, 0, 10, 0.1, 35, 25, 12, 4], .6, [3, 85, 12], .4, .001, .008),
    "oilgas": profile((-5, 10, 28), None, 35, 6, None, 4.5, 3.0,
                      [8, 10, 1, 70, 5, 3, 3], [12, 1, 2, 3, 35, 30, 9, 8], .5, [20, 65, 15], .9, .16, .18),
    "mining": profile((-3, 8, 20), (12, 30, 48), 80, 7, 6, 4.0, 2.6,
                      [9, 10, 6, 62, 6, 3.5, 3.5], [14, 0.5, 6, 1, 36, 26, 10, 6.5], .55, [15, 72, 13], .8, .05, .1),
    "minesupport": profile((0, 7, 16), None, 200, 5.5, None, 4.0, 1.8,
                           [12, 24, 2, 52, 6, 2, 2], [18, 0, 6, 0.1, 36, 22, 12, 6], .6, [4, 84, 12], .9, .01, .04),
    "utility": profile((1, 6, 14), None, 60, 9, None, 3.0, 3.0,
                       [8, 10, 2, 70, 6, 2, 2], [9, 1, 10, 6, 40, 20, 8, 6], .64, [15, 70, 15], .1, .14, .09),
    "buildcon": profile((0.8, 4, 9), (10, 17, 26), 450, 8, 5, 4.5, 1.0,
                        [16, 20, 28, 22, 8, 3, 3], [28, 0, 14, 0.1, 22, 20, 12, 4], .72, [3, 85, 12], .5, .003, .02),
    "civil": profile((0.5, 5, 11), (12, 20, 30), 300, 6, 12, 4.5, 1.2,
                     [15, 28, 5, 40, 6, 3, 3], [26, 0, 8, 0.1, 28, 18, 15, 5], .62, [4, 84, 12], .4, .012, .06),
    "trades": profile((1, 6, 13), (20, 32, 48), 420, 7, 30, 5.5, 0.8,
                      [20, 32, 8, 28, 8, 2, 2], [30, 0, 6, 0.1, 20, 26, 14, 4], .63, [3, 86, 11], .35, .001, .01),
    "mfg": profile((0, 4, 10), (15, 26, 40), 260, 7.5, 7, 4.0, 1.3,
                   [11, 22, 18, 36, 7, 3, 3], [25, 0.5, 8, 0.3, 25, 22, 13, 6], .63, [5, 82, 13], .6, .04, .1),
    "mfgfood": profile((0, 3.5, 8.5), (15, 25, 36), 290, 11, 10, 4.0, 1.3,
                       [10, 20, 20, 38, 6, 3, 3], [26, 0.5, 9, 0.3, 24, 22, 12, 6], .64, [5, 82, 13], .25, .05, .11),
    "wholesale": profile((0.3, 2.8, 6.5), (14, 23, 34), 420, 8, 7, 4.5, 0.9,
                         [11, 30, 32, 14, 7, 3, 3], [34, 0.5, 4, 0.2, 22, 20, 13, 6], .66, [5, 82, 13], .45, .025, .09),
    "autodealer": profile((0.3, 1.7, 3.5), (12, 16, 22), 450, 25, 5, 3.0, 0.8,
                          [9, 10, 55, 17, 5, 2, 2], [12, 0, 5, 0.1, 50, 15, 10, 4], .75, [5, 85, 10], .35, .02, .25),
    "retail": profile((0.1, 2.5, 6), (20, 30, 40), 520, 55, 6, 3.5, 0.9,
                      [16, 5, 40, 25, 8, 3, 3], [26, 0, 10, 0.1, 24, 24, 12, 4], .7, [4, 84, 12], .2, .005, .03),
    "foodstore": profile((0, 1.8, 4.5), (16, 23, 30), 700, 120, 15, 3.5, 0.7,
                         [18, 4, 35, 30, 7, 3, 3], [30, 0, 12, 0.1, 22, 20, 12, 4], .68, [4, 84, 12], .05, .006, .04),
    "gasstation": profile((0, 1.2, 3), (8, 12, 18), 800, 60, 30, 3.0, 0.6,
                          [14, 8, 18, 50, 6, 2, 2], [22, 0, 20, 0.1, 25, 18, 11, 4], .7, [4, 84, 12], .1, .005, .06),
    "transport": profile((0.2, 4.5, 10), None, 330, 9, None, 3.5, 1.5,
                         [12, 22, 1, 55, 6, 2, 2], [18, 0, 8, 0.1, 40, 18, 11, 5], .68, [4, 84, 12], .45, .004, .02),
    "air": profile((-4, 3, 10), None, 150, 10, None, 2.5, 2.5,
                   [12, 15, 3, 60, 6, 2, 2], [16, 0, 8, 0.5, 40, 20, 11, 4.5], .72, [6, 80, 14], .5, .01, .03),
    "info": profile((-2, 6, 16), None, 270, 6, None, 4.5, 1.2,
                    [24, 26, 3, 28, 11, 4, 4], [22, 0.5, 4, 0.5, 18, 30, 20, 5], .62, [10, 75, 15], .3, .02, .05),
    "finance": profile((3, 15, 32), None, 25, 8, None, 3.0, 3.5,
                       [8, 12, 0, 2, 45, 10, 23], [10, 8, 2, 6, 30, 10, 30, 4], .84, [25, 60, 15], .4, 0, 0),
    "insurance": profile((2, 9, 20), None, 60, 10, None, 8.0, 0.8,
                         [9, 14, 0, 3, 22, 12, 40], [12, 1, 1, 3, 6, 8, 66, 3], .74, [25, 60, 15], .3, 0, 0),
    "realestate": profile((2, 14, 32), None, 25, 12, None, 2.4, 6.0,
                          [7, 3, 2, 76, 6, 3, 3], [4, 0, 58, 0.1, 14, 16, 5, 3], .68, [3, 85, 12], .15, .002, .015),
    "reagent": profile((2, 9, 20), None, 400, 12, None, 6.0, 0.8,
                       [30, 20, 1, 30, 9, 5, 5], [20, 0, 10, 0.1, 15, 35, 16, 4], .55, [4, 84, 12], .25, .001, .008),
    "rental": profile((0, 7, 16), None, 80, 9, None, 2.8, 3.2,
                      [9, 12, 4, 65, 6, 2, 2], [10, 0, 10, 0.5, 45, 20, 10, 5], .7, [5, 82, 13], .35, .01, .04),
    "prof": profile((4, 12, 24), None, 400, 7, None, 9.0, 0.6,
                    [30, 30, 2, 16, 12, 5, 5], [20, 0, 4, 0.1, 12, 38, 22, 4], .55, [4, 84, 12], .2, .002, .015),
    "holding": profile((5, 25, 60), None, 20, 5, None, 5.0, 4.0,
                       [10, 6, 1, 20, 8, 35, 20], [4, 0, 12, 0.5, 20, 40, 20, 4], .45, [8, 82, 10], .3, .01, .03),
    "admin": profile((1.5, 6, 13), None, 450, 8, None, 6.0, 0.9,
                     [22, 30, 2, 30, 8, 4, 4], [22, 0, 6, 0.1, 20, 30, 18, 4], .62, [4, 84, 12], .3, .004, .02),
    "waste": profile((1, 6, 13), None, 160, 7, None, 4.0, 1.8,
                     [12, 18, 2, 55, 7, 3, 3], [16, 0, 8, 0.5, 40, 20, 11, 5], .66, [6, 82, 12], .2, .015, .05),
    "educ": profile((1, 7, 17), None, 350, 15, None, 6.0, 0.9,
                    [30, 12, 2, 38, 12, 3, 3], [14, 0, 10, 0.1, 18, 32, 24, 2], .6, [4, 84, 12], .1, .002, .01),
    "health": profile((7, 18, 32), None, 450, 15, None, 12.0, 0.5,
                      [32, 14, 2, 30, 12, 5, 5], [14, 0, 12, 0.1, 18, 36, 18, 2], .5, [3, 87, 10], .05, .001, .006),
    "hospital": profile((1, 6, 13), None, 150, 10, None, 3.5, 2.2,
                        [14, 14, 2, 60, 6, 2, 2], [14, 0, 35, 0.5, 25, 15, 8, 2.5], .7, [8, 80, 12], .05, .2, .3),
    "care": profile((1, 6, 13), None, 150, 14, None, 3.0, 2.5,
                    [12, 6, 1, 70, 7, 2, 2], [8, 0, 45, 0.1, 22, 16, 7, 2], .72, [5, 83, 12], .05, .02, .08),
    "social": profile((1, 7, 16), None, 380, 18, None, 6.0, 0.8,
                      [28, 8, 1, 45, 12, 3, 3], [12, 0, 22, 0.1, 16, 28, 20, 2], .58, [4, 84, 12], .05, .001, .01),
    "arts": profile((-1, 5, 13), None, 280, 20, None, 3.5, 1.5,
                    [22, 10, 3, 52, 9, 2, 2], [14, 0, 18, 0.1, 24, 28, 14, 2], .65, [5, 83, 12], .3, .003, .02),
    "accom": profile((-2, 5, 14), None, 70, 30, None, 2.2, 4.0,
                     [10, 4, 2, 76, 6, 1, 1], [7, 0, 45, 0.1, 22, 18, 6, 2], .74, [5, 82, 13], .35, .006, .04),
    "foodserv": profile((-0.5, 3, 7.5), (55, 63, 70), 650, 150, 45, 3.5, 1.0,
                        [20, 4, 5, 55, 12, 2, 2], [20, 0, 12, 0.1, 28, 26, 12, 2], .78, [4, 84, 12], .15, .001, .01),
    "repair": profile((0.5, 5, 12), (30, 42, 55), 480, 20, 12, 5.0, 0.8,
                      [16, 18, 16, 40, 6, 2, 2], [22, 0, 10, 0.1, 26, 26, 12, 4], .64, [4, 84, 12], .2, .0006, .006),
    "personal": profile((1, 7, 16), None, 480, 40, None, 5.0, 0.8,
                        [22, 8, 6, 52, 8, 2, 2], [14, 0, 14, 0.1, 24, 30, 15, 3], .62, [4, 84, 12], .1, .0006, .006),
    "org": profile((0, 4, 11), None, 200, 12, None, 5.0, 0.6,
                   [30, 10, 2, 40, 10, 4, 4], [12, 0, 15, 0.1, 15, 15, 42, 1], .45, [1, 89, 10], .1, .003, .02),
}

# ------------------------------------------------------------------- helpers


def norm_cdf(x):
    return 0.5 * (1.0 + math.erf(x / math.sqrt(2.0)))


def apportion(weights, total_units):
    """Integer parts (e.g. tenths) in proportion to weights, adding up exactly."""
    s = sum(weights)
    raw = [w * total_units / s for w in weights]
    parts = [int(math.floor(r)) for r in raw]
    short = total_units - sum(parts)
    order = sorted(range(len(raw)), key=lambda i: (-(raw[i] - parts[i]), i))
    for i in order[:short]:
        parts[i] += 1
    return parts


def fmt(value, decimals):
    text = "%.*f" % (decimals, value)
    if float(text) == 0:
        text = "%.*f" % (decimals, 0.0)  # no "-0.0"
    return text


def published(value, decimals):
    """Rounds a quartile; a boundary that would round to 0 reads as 'not
    published' in the program, so it is moved one unit away from 0."""
    unit = 10 ** -decimals
    r = round(value, decimals)
    if r == 0:
        r = unit if value >= 0 else -unit
    return r


def ordered(values, decreasing=False):
    v = sorted(values, reverse=decreasing)
    return v


# -------------------------------------------------------------- industry data


def load_master():
    with open(os.path.join(HERE, "naics_master.csv"), encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f))
    for r in rows:
        r["n3"] = int(r["n3"] or 0)
        r["n1"] = int(r["n1"]) if r["n1"] else None
        r["n2"] = int(r["n2"]) if r["n2"] else None
    rows.sort(key=lambda r: r["code"])
    return rows


def base_counts(ind):
    """Enterprises per data set in a normal year (before the year's change)."""
    code = ind["code"]
    p = PROFILES.get(ind["profile"])
    counts = {}
    if p is None:
        return counts
    n3 = ind["n3"]
    rng = Rng("counts", code)
    n1 = ind["n1"] if ind["n1"] is not None else round(n3 * p["r1"] * rng.lognormal(0.25))
    n2 = ind["n2"] if ind["n2"] is not None else round(n3 * p["r2"] * rng.lognormal(0.25))
    counts[(1, "ALL")] = n1
    counts[(2, "ALL")] = n2
    counts[(3, "ALL")] = n3
    if n3 <= 0:
        return counts
    pattern = PATTERNS.get(ind["region"] or "default", PATTERNS["default"])
    default = PATTERNS["default"]
    raw = {}
    for reg, share in LEAF_SHARES.items():
        mult = pattern.get(reg, default.get(reg, 1.0))
        raw[reg] = share * mult * rng.lognormal(0.15)
    scale = n3 / sum(raw.values())
    leaves = {reg: v * scale for reg, v in raw.items()}
    for reg, v in leaves.items():
        counts[(3, reg)] = round(v)
    for agg, members in AGGREGATES.items():
        counts[(3, agg)] = round(sum(leaves[m] for m in members))
    return counts


def in_dataset(volume, region, n):
    if region == "ALL":
        return n >= THRESHOLD[volume]
    if region in TERRITORIES or region == "TERRITORIES":
        return n >= THRESHOLD_TERRITORY
    return n >= THRESHOLD_REGION


def year_factor(cyc, year):
    return {2008: 1.0, 2009: 1.0 - 0.03 - 0.25 * cyc, 2010: 1.0 - 0.08 * cyc}[year]


def count_for_year(n, cyc, year, rng):
    f = {2008: 1.0, 2009: 1.0 - 0.005 - 0.02 * cyc, 2010: 1.01}[year]
    return max(1, round(n * f * rng.lognormal(0.015)))


RATIO_COLUMNS = ["NPM", "PPM", "OPM", "GPM", "ORTTNOA", "RNOA", "PPA", "RCE", "RE", "DE", "RT", "IT", "WC",
                 "LTA", "IC"]
DECIMALS = {"DE": 2, "LTA": 2, "WC": 2, "IC": 2}
LOWER_IS_BETTER = {"DE", "LTA"}
ASSET_COLS = ["A11", "A12", "A13", "A18", "A19", "A14", "A151617"]
LIAB_COLS = ["A22", "A25200", "A25500", "A25400", "A25180", "A24", "A2329", "A27"]
EQUITY_COLS = ["A31", "A38", "A283334"]
HEADER = (["NAICS", "NumberOfFirms"] + [p + q for p in RATIO_COLUMNS for q in ("Q1", "Q2", "Q3")] +
          ["A11", "A12", "A13", "A18", "A19", "TOTOA", "A14", "A151617", "TOTASS",
           "A22", "A25200", "A25500", "A25400", "A25180", "A24", "A2329", "A27", "TOTLIAB",
           "A31", "A38", "A283334", "TOTSE", "TOTLSE", "CURASS", "CURLiab",
           "OPP", "OPL", "PPP", "PPL", "NPP", "NPL"])

# How the structure of larger enterprises differs from that of small ones.
ASSET_MOD = {1: [.7, 1, .9, 1, 1.2, 3, 1.8], 2: [.85, 1, 1, 1, 1.1, 1.8, 1.3], 3: [1] * 7}
LIAB_MOD = {1: [.8, 3, .5, 2, .9, .6, 1.1, 2.5], 2: [.9, 2, .8, 1.5, 1, .8, 1, 1.5], 3: [1] * 8}
# Larger enterprises issue paper and bonds whatever their industry.
LIAB_ADD = {1: [0, 1, 0, 5, 0, 0, 0, 0], 2: [0, .3, 0, 1.5, 0, 0, 0, 0], 3: [0] * 8}
EQUITY_MOD = {1: [5, 1, 1.5], 2: [2.5, 1, 1.2], 3: [1, 1, 1]}
L_MOD = {1: .93, 2: .97, 3: 1.0}
SPREAD_MOD = {1: .7, 2: .85, 3: 1.0}


def ratio_row(ind, volume, region, year, firms):
    code = ind["code"]
    p = PROFILES[ind["profile"]]
    ri = Rng("industry", code)                    # the industry itself
    rr = Rng("cell", code, volume, region)        # this industry in this data set
    ry = Rng("year", code, volume, region, year)  # this year
    margin_level = ri.lognormal(0.15) * rr.lognormal(0.08) * ry.lognormal(0.05)
    turnover = ri.lognormal(0.15) * rr.lognormal(0.06) * ry.lognormal(0.03)
    spread = SPREAD_MOD[volume] * ri.lognormal(0.1) * rr.lognormal(0.08)
    yf = year_factor(p["cyc"], year)
    values = {}

    # Margins: the median moves with the year; the spread stays.
    q1, q2, q3 = p["npm"]
    m = q2 * margin_level * yf - (1 - yf) * (q2 - q1) * 0.6
    npm = [m - (q2 - q1) * spread, m, m + (q3 - q2) * spread * (0.9 + 0.2 * ry.uniform())]
    ppm = [x * 1.22 if x > 0 else x * 1.02 for x in npm]
    intr = p["intr"] * rr.lognormal(0.15)
    opm = [x + intr for x in ppm]
    values["NPM"], values["PPM"], values["OPM"] = npm, ppm, opm
    if p["gpm"]:
        g1, g2, g3 = p["gpm"]
        gm = g2 * ri.lognormal(0.1) * rr.lognormal(0.04) * (1 - (1 - yf) * 0.3)
        values["GPM"] = [gm - (g2 - g1) * spread, gm, gm + (g3 - g2) * spread]
    else:
        values["GPM"] = [0, 0, 0]

    t = p["ortnoa"] / 100.0 * turnover
    values["ORTTNOA"] = [t * 100 * 0.5 * rr.lognormal(0.05), t * 100, t * 100 * 1.9 * rr.lognormal(0.05)]
    values["RNOA"] = [x * t * (1.0 if x > 0 else 0.8) for x in opm]
    values["PPA"] = [x * t * 0.55 for x in ppm]
    values["RCE"] = [(x + intr * 0.7) * t * 0.65 for x in npm]

    # Balance-sheet structure, in tenths of a per cent so that it adds up.
    # Mostly the industry's own structure in this data set, a little of the year.
    rs = Rng("structure", code, volume, region)
    rsy = Rng("structure-year", code, volume, region, year)
    aw = [w * m_ * rs.lognormal(0.12) * rsy.lognormal(0.03) * ri.lognormal(0.1) if w > 0 else 0
          for w, m_ in zip(p["assets"], ASSET_MOD[volume])]
    assets = apportion(aw, 1000)
    L = min(0.92, max(0.3, p["L"] * L_MOD[volume] * rr.lognormal(0.05) * ry.lognormal(0.015)))
    liab_units = int(round(L * 1000))
    lw = [(w * m_ + add) * rs.lognormal(0.15) * rsy.lognormal(0.03) if w > 0 else 0
          for w, m_, add in zip(p["liab"], LIAB_MOD[volume], LIAB_ADD[volume])]
    liab = apportion(lw, liab_units)
    ew = [w * m_ * rs.lognormal(0.1) * rsy.lognormal(0.03) for w, m_ in zip(p["eq"], EQUITY_MOD[volume])]
    equity = apportion(ew, 1000 - liab_units)
    a = dict(zip(ASSET_COLS, assets))
    li = dict(zip(LIAB_COLS, liab))
    eq = dict(zip(EQUITY_COLS, equity))
    curass = a["A11"] + a["A12"] + a["A13"] + int(round(0.35 * a["A19"]))
    curliab = (li["A22"] + li["A25200"] + int(round(0.3 * li["A25180"])) + int(round(0.5 * li["A2329"])) +
               int(round(0.15 * li["A24"])))

    lta = L * rr.lognormal(0.03)
    values["LTA"] = [min(lta * 1.35, lta + 0.3), lta, lta * 0.6]
    debt = li["A25200"] + li["A25500"] + li["A25400"] + li["A25180"] + li["A24"]
    de = debt / max(1, 1000 - liab_units) * rr.lognormal(0.08)
    values["DE"] = [de * 3.2 * ry.lognormal(0.05), de, de * 0.22 * ry.lognormal(0.05)]
    wc = curass / max(1, curliab) * rr.lognormal(0.06) * ry.lognormal(0.02)
    values["WC"] = [wc * 0.58, wc, wc * 1.85]
    values["RE"] = [x * t * 0.45 / max(0.25, 1 - L) for x in npm]

    rt = p["rt"] * turnover * rr.lognormal(0.1)
    values["RT"] = [rt * 0.45, rt, rt * 2.3]
    if p["it"]:
        it = p["it"] * turnover * rr.lognormal(0.12)
        values["IT"] = [it * 0.42, it, it * 2.5]
    else:
        values["IT"] = [0, 0, 0]
    ic = p["ic"] * margin_level * (0.6 + 0.4 * yf)
    values["IC"] = [1.0 + (ic - 1.0) * 0.2 - (1 - yf) * 2, ic, ic * 3.6]

    row = {"NAICS": code, "NumberOfFirms": str(firms)}
    rsup = Rng("suppress", code, volume, region, year)
    for name in RATIO_COLUMNS:
        d = DECIMALS.get(name, 1)
        qs = values[name]
        if qs == [0, 0, 0]:
            out = ["0", "0", "0"]
        else:
            qs = ordered([published(q, d) for q in qs], decreasing=name in LOWER_IS_BETTER)
            out = [fmt(q, d) for q in qs]
            # Small groups: some boundaries are not published.
            if firms < 30:
                u = rsup.uniform()
                if u < 0.04:
                    out = ["0", "0", "0"]
                elif u < 0.22:
                    out = ["0", out[1], "0"]
        row[name + "Q1"], row[name + "Q2"], row[name + "Q3"] = out

    tenth = lambda units: fmt(units / 10.0, 1)
    for k in ASSET_COLS:
        row[k] = tenth(a[k])
    row["TOTOA"] = tenth(a["A11"] + a["A12"] + a["A13"] + a["A18"] + a["A19"])
    row["TOTASS"] = tenth(1000)
    for k in LIAB_COLS:
        row[k] = tenth(li[k])
    row["TOTLIAB"] = tenth(liab_units)
    for k in EQUITY_COLS:
        row[k] = tenth(eq[k])
    row["TOTSE"] = tenth(1000 - liab_units)
    row["TOTLSE"] = tenth(1000)
    row["CURASS"] = tenth(curass)
    row["CURLiab"] = tenth(curliab)

    # Shares of enterprises with profits and losses, from the margins' spread.
    # Taxes never turn a pretax loss into a profit, so net losses are at least
    # as common as pretax ones.
    previous = 0
    for prefix, qs in (("O", opm), ("P", ppm), ("N", npm)):
        sigma = max(0.5, (qs[2] - qs[0]) / 1.349)
        loss = int(round(norm_cdf(-qs[1] / sigma) * 1000))
        if prefix == "N":
            loss = max(loss, previous + 5 + int(15 * ry.uniform()))
        loss = min(950, max(5, loss))
        previous = loss
        row[prefix + "PL"] = tenth(loss)
        row[prefix + "PP"] = tenth(1000 - loss)
    return row


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


def main():
    global SEED
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--seed", type=int, default=SEED)
    ap.add_argument("--out", default=os.path.join(REPO, "data", "industry"))
    args = ap.parse_args()
    SEED = args.seed
    out = args.out
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

    # Ratio tables.
    counts = {ind["code"]: base_counts(ind) for ind in master}
    descriptions = []
    absent_rows = []
    for opt, volume, region in DATASETS:
        members = [ind for ind in master
                   if ind["profile"] in PROFILES
                   and (volume == 1 or folder_of(ind["code"]) != "IndTFINANC")
                   and in_dataset(volume, region, counts[ind["code"]].get((volume, region), 0))]
        years_with_rows = []
        for year in YEARS:
            name = "ZORVA_Vol%d_%s_%d_Final_Ratios" % (volume, region, year)
            if (region, year) in ABSENT_TABLES:
                absent_rows.append([name, ABSENT_TABLES[(region, year)]])
                continue
            rows = []
            if (region, year) not in EMPTY_TABLES:
                years_with_rows.append(year)
                for ind in members:
                    p = PROFILES[ind["profile"]]
                    n = counts[ind["code"]][(volume, region)]
                    firms = count_for_year(n, p["cyc"], year, Rng("firms", ind["code"], volume, region, year))
                    rows.append(ratio_row(ind, volume, region, year, firms))
            write_csv(os.path.join(out, name + ".csv"), HEADER, rows)
        note = None
        if (region, 2010) in EMPTY_TABLES:
            note = ("No figures are published for 2010, so this data set cannot be chosen.",
                    "Aucune donnée n'est publiée pour 2010 : ce jeu de données ne peut pas être choisi.")
        elif any(r == region for r, _ in ABSENT_TABLES):
            missing = [y for r, y in ABSENT_TABLES if r == region]
            note = ("There are no figures for %s." % ", ".join(map(str, missing)),
                    "Il n'y a pas de données pour %s." % ", ".join(map(str, missing)))
        en, fr = dataset_description(opt, volume, region, len(members), years_with_rows or list(YEARS[1:]), note)
        descriptions.append([opt, en, fr])
    write_csv(os.path.join(out, "absent_tables.csv"), ["table", "reason"], absent_rows)
    write_csv(os.path.join(out, "datadescription.csv"), ["optname", "descriptione", "descriptionf"], descriptions)


if __name__ == "__main__":
    main()
