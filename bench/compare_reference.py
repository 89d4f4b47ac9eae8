#!/usr/bin/python3
"""The comparison zorva-cli compare makes, written as a plain Python program
(standard library only, doubles throughout) for the benchmark's reference.

Reads the same enterprises file (a header of MyValues columns, a NAICS column
or --naics), normalises each amount to four decimals, computes the subtotals,
makes the checks of the values screen, then for each enterprise the
percentages of total assets, the fifteen ratios ranked against the industry's
quartiles, the variances from the industry's structure and the industry's
copied figures, and writes one JSON line per enterprise (an error line for a
refused one), the rows in the same columns as Rpt_Comparison. The industry's
rows are read once each from the industry store.

    compare_reference.py APPDIR VOLUME REGION NAICS VALUES.csv [INDUSTRY.mdb] > OUT.jsonl

(APPDIR holds ZOR_DATA.mdb and myData.mdb, whose Volume_Descriptions and
ProvinceCodes give the data set's title; INDUSTRY.mdb, another edition of the
benchmarks, replaces ZOR_DATA.mdb. The edition's years are the latest year
of the store's ratio tables and the two before it.)
"""
import csv
import json
import re
import sqlite3
import sys

AMOUNTS = ["Cash", "Ar", "Inv", "CA", "OA", "Toa", "Invest", "Ptfl", "Ta", "OperatingRevenue", "Sales",
           "GrossProfit", "OperatingProfit", "InterestExpense", "PretaxProfit", "ProfitAfterTax", "AccountsPayable",
           "Paper", "Mtg", "Bonds", "Ol", "AmtsAffil", "OLiab", "DefTax", "Tliab", "ShareC", "RetEarn", "OtherSur",
           "Equity1", "TotLiabShareEq", "CurrentAssets", "CurrentLiabilities"]
TOTALS = {"Toa", "Ta", "Tliab", "Equity1", "TotLiabShareEq"}
# Balance-sheet lines: amount, percentage column, industry column, variance column.
LINES = [("Cash", "MyCash", "A11", "VarianceCash"), ("Ar", "MyAr", "A12", "VarianceAR"),
         ("Inv", "MyInv", "A13", "VarianceInvent"), ("CA", "MyCA", "A18", "VarianceCA"),
         ("OA", "MyOA", "A19", "VarianceOA"), ("Toa", "MyToa", "TOTOA", "VarianceTOA"),
         ("Invest", "MyInvest", "A14", "VarianceInvest"), ("Ptfl", "MyPtfl", "A151617", "VariancePTFL"),
         ("Ta", "MyTa", "TOTASS", "VarianceTOTASS"), ("AccountsPayable", "MyAccountsPayable", "A22", "VarianceAP"),
         ("Paper", "MyPaper", "A25200", "VarianceSTPAPER"), ("Mtg", "MyMtg", "A25500", "VarianceMTG"),
         ("Bonds", "MyBonds", "A25400", "VarianceBonds"), ("Ol", "MyOl", "A25180", "VarianceOLoans"),
         ("AmtsAffil", "MyAmtsAffil", "A24", "VarianceAOTA"), ("OLiab", "MyOLiab", "A2329", "VarianceOLiab"),
         ("DefTax", "MyDefTax", "A27", "VarianceDefTax"), ("Tliab", "MyTliab", "TOTLIAB", "VarianceTL"),
         ("ShareC", "MyShareC", "A31", "VarianceSC"), ("RetEarn", "MyRetEarn", "A38", "VarianceRE"),
         ("OtherSur", "MyOtherSur", "A283334", "VarianceOS"), ("Equity1", "MyEquity1", "TOTSE", "VarianceEq"),
         ("TotLiabShareEq", "MyTotLiabShareEq", "TOTLSE", "VarianceSETL"),
         ("CurrentAssets", "MyCurrentAssets", "CURASS", "VarianceCurrA"),
         ("CurrentLiabilities", "MyCurrentLiabilities", "CURLiab", "VarianceCurrL")]
INCOME = ["OperatingRevenue", "GrossProfit", "OperatingProfit", "InterestExpense", "PretaxProfit", "ProfitAfterTax"]
NOA = [("Ta", 1), ("Invest", -1), ("Ptfl", -1), ("AccountsPayable", -1)]
CE = [("Mtg", 1), ("Equity1", 1), ("Bonds", 1), ("Ol", 1), ("Paper", 1), ("AmtsAffil", 1)]
DEBT = [("Mtg", 1), ("Bonds", 1), ("Ol", 1), ("Paper", 1), ("AmtsAffil", 1)]
# code, value column, numerator, denominator, x100, equity rule, higher is better
RATIOS = [("NPM", "MyNPM", [("ProfitAfterTax", 1)], [("OperatingRevenue", 1)], True, False, True),
          ("PPM", "MyPPM", [("PretaxProfit", 1)], [("OperatingRevenue", 1)], True, False, True),
          ("OPM", "MyOPM", [("OperatingProfit", 1)], [("OperatingRevenue", 1)], True, False, True),
          ("GPM", "MyGPM", [("GrossProfit", 1)], [("Sales", 1)], True, False, True),
          ("ORTTNOA", "MyORTNOA", [("OperatingRevenue", 1)], NOA, True, False, True),
          ("RNOA", "MyRONOA", [("OperatingProfit", 1)], NOA, True, False, True),
          ("PPA", "MyPPTA", [("PretaxProfit", 1)], [("Ta", 1)], True, False, True),
          ("RCE", "MyROCE", [("InterestExpense", 1), ("ProfitAfterTax", 1)], CE, True, False, True),
          ("RE", "MyROE", [("ProfitAfterTax", 1)], [("Equity1", 1)], True, True, True),
          ("RT", "MyRT", [("OperatingRevenue", 1)], [("Ar", 1)], False, False, True),
          ("IT", "MyIT", [("Sales", 1), ("GrossProfit", -1)], [("Inv", 1)], False, False, True),
          ("WC", "MyWC", [("CurrentAssets", 1)], [("CurrentLiabilities", 1)], False, False, True),
          ("DE", "MyDE", DEBT, [("Equity1", 1)], False, True, False),
          ("LTA", "MyLTA", [("Tliab", 1)], [("Ta", 1)], False, False, False),
          ("IC", "MyIC", [("InterestExpense", 1), ("PretaxProfit", 1)], [("InterestExpense", 1)], False, False, True)]
RANK_NAMES = ["NPM", "PPM", "OPM", "GPM", "ORTNOA", "RONOA", "PPA", "RCE", "RE", "RT", "IT", "WC", "DE", "LTA", "IC"]
COPIED = ["PPAQ2", "LTAQ2", "NPMQ2", "PPMQ2", "OPMQ2", "GPMQ2", "ORTTNOAQ2", "RNOAQ2", "RCEQ2", "REQ2", "RTQ2",
          "ITQ2", "WCQ2", "DEQ2", "ICQ2", "OPP", "OPL", "PPP", "PPL", "NPP", "NPL"]
LEADING = re.compile(r"\s*[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?")
MESSAGES = {"year": "Invalid year.  Year must be between {E} and {L}",
            "balance": "Total Assets is not equal Total Liabilities and Shareholders' Equity",
            "name": "Please enter an enterprise name", "assets": "Please enter your enterprise values"}


def amount(text):
    """The leading number of a typed text, rounded to four decimals."""
    m = LEADING.match(text)
    return round(float(m.group(0)), 4) if m else 0.0


def s15(x):
    """A value as a statement stores it: 15 significant digits."""
    return float("%.15g" % x) if x else 0.0


def ratio(n, d):
    return n / d if n and d else 0.0


def total(terms, a):
    s = 0.0
    for i, (k, sign) in enumerate(terms):
        s = (a[k] if sign > 0 else -a[k]) if i == 0 else s + sign * a[k]
    return s


def better(q, r, exception):
    res = 0.0
    for b, v in zip(q, (25.0, 50.0, 75.0)):
        if b and ((r < b) if exception else (r > b)):
            res = v
    return res


def worse(q, r, exception):
    res = 0.0
    for b, v in zip(reversed(q), (25.0, 50.0, 75.0)):
        if b and ((r > b) if exception else (r < b)):
            res = v
    return res


class Industry:
    """One industry's three years, read once."""

    def __init__(self, db, volume, region, naics, years):
        self.years = {}
        for year in years:
            table = "ZORVA_Vol%s_%s_%d_Final_Ratios" % (volume, region, year)
            try:
                cur = db.execute("select * from %s where NAICS = ?" % table, (naics,))
            except sqlite3.OperationalError:
                continue
            row = cur.fetchone()
            if row and row["NumberOfFirms"] is not None:
                self.years[year] = dict(zip(row.keys(), row))
        self.title = db.execute("select Description from ZORVA_NAICS_Description_Ind_Raw where NAICS = ?",
                                (naics,)).fetchone()
        self.title = self.title[0] if self.title else naics


def main():
    app, volume, region, default_naics, values = sys.argv[1:6]
    db = sqlite3.connect(sys.argv[6] if len(sys.argv) > 6 else app + "/ZOR_DATA.mdb")
    db.row_factory = sqlite3.Row
    latest = max(int(m.group(1)) for (name,) in db.execute("select name from sqlite_master where type = 'table'")
                 for m in [re.match(r"ZORVA_Vol\d_[A-Z]+_(\d{4})_Final_Ratios$", name)] if m)
    years = (latest, latest - 1, latest - 2)
    MESSAGES["year"] = MESSAGES["year"].replace("{E}", str(years[2])).replace("{L}", str(years[0]))
    user = sqlite3.connect(app + "/myData.mdb")
    title = user.execute("select Title1 from Volume_Descriptions where Volume = ? and Language = 'E'",
                         (int(volume),)).fetchone()[0]
    my_vol = title + " - " + user.execute("select English from ProvinceCodes where Code = ?", (region,)).fetchone()[0]
    industries = {}
    out = sys.stdout
    with open(values, newline="", encoding="utf-8") as f:
        reader = csv.reader(f)
        header = [h.strip().lower() for h in next(reader)]
        index = {h: k for k, h in enumerate(header)}
        given_totals = any(t.lower() in index for t in TOTALS)
        amount_columns = [(k, index[k.lower()]) for k in AMOUNTS if k.lower() in index]
        name_column, year_column = index["firmname"], index["year"]
        naics_column = index.get("naics")
        for line, cells in enumerate(reader, start=2):
            a = dict.fromkeys(AMOUNTS, 0.0)
            for k, c in amount_columns:
                a[k] = amount(cells[c])
            if not given_totals:
                a["Toa"] = round(a["Cash"] + a["Ar"] + a["Inv"] + a["CA"] + a["OA"], 4)
                a["Ta"] = round(a["Toa"] + a["Invest"] + a["Ptfl"], 4)
                a["Tliab"] = round(sum(a[k] for k in ("AccountsPayable", "Paper", "Mtg", "Bonds", "Ol", "AmtsAffil",
                                                      "OLiab", "DefTax")), 4)
                a["Equity1"] = round(a["ShareC"] + a["RetEarn"] + a["OtherSur"], 4)
                a["TotLiabShareEq"] = round(a["Tliab"] + a["Equity1"], 4)
            name, year = cells[name_column], cells[year_column].strip()
            error = None
            if year not in [str(y) for y in years]:
                error = "year"
            elif a["Ta"] != a["TotLiabShareEq"]:
                error = "balance"
            elif not name:
                error = "name"
            elif a["Ta"] == 0:
                error = "assets"
            naics = (cells[naics_column].strip() if naics_column is not None else "") or default_naics
            if naics not in industries:
                industries[naics] = Industry(db, volume, region, naics, years)
            ind = industries[naics]
            fig = ind.years.get(int(year)) if error is None else None
            if error is None and fig is None:
                error = "nodata"
            if error:
                message = MESSAGES.get(error, "This industry has no data for " + year)
                out.write(json.dumps({"line": line, "FirmName": name, "Year": year, "error": message}) + "\n")
                continue
            ta = a["Ta"]
            row = {"MyFirmName": name, "MyYear": int(year), "MyNAICS": naics, "MyIndustry": ind.title}
            for amt, pct, _, _ in LINES[:9]:  # assets, then the income amounts, as the table orders them
                row[pct] = s15(a[amt] / ta * 100)
            for k in INCOME:
                row["My" + k] = s15(a[k])
            for amt, pct, _, _ in LINES[9:]:
                row[pct] = s15(a[amt] / ta * 100)
            negative_equity = a["Equity1"] < 0
            values_, betters, worses = [], [], []
            for code, col, num, den, pct, equity_rule, higher in RATIOS:
                v = 0.0 if equity_rule and negative_equity else ratio(total(num, a), total(den, a))
                v = v * 100 if pct else v
                values_.append(v)
                row[col] = s15(v)
                q = [fig[code + "Q1"] or 0.0, fig[code + "Q2"] or 0.0, fig[code + "Q3"] or 0.0]
                if equity_rule and negative_equity:
                    betters.append(0.0)
                    worses.append(0.0)
                else:
                    r = float("%.12g" % v)
                    betters.append(better(q, r, not higher))
                    worses.append(worse(q, r, not higher))
            for n, b in zip(RANK_NAMES, betters):
                row["Better" + n] = b
            for n, w in zip(RANK_NAMES, worses):
                row["Worse" + n] = w
            for amt, pct, ind_col, var in LINES:
                row[var] = None if fig[ind_col] is None else s15(a[amt] / ta * 100 - fig[ind_col])
            row["MyVol"] = my_vol
            row["NumberOfFirms"] = fig["NumberOfFirms"]
            for k in COPIED:
                row[k] = fig[k]
            for _, _, ind_col, _ in LINES:
                row[ind_col] = fig[ind_col]
            out.write(json.dumps(row, separators=(",", ":")) + "\n")


if __name__ == "__main__":
    main()
