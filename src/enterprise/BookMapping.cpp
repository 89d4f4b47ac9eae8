#include "enterprise/BookMapping.h"

#include "core/Strings.h"
#include "core/Text.h"
#include "enterprise/SheetFile.h"
#include "enterprise/StatementImport.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace zorva::books {

namespace {

using AC = AccountClass;

struct TargetRow {
    Target target;
    const char* code;
    Field field;        // balance-sheet targets
    AccountClass cls;   // the class it belongs to
    int captionId;      // 0: the field's caption
    bool current;       // counts in current assets or liabilities
};

// The preview's list, in statement order.
const TargetRow kTargets[] = {
    {Target::None, "none", Field::FirmName, AC::Unknown, 2860, false},
    {Target::Cash, "Cash", Field::Cash, AC::Asset, 0, true},
    {Target::Ar, "Ar", Field::Ar, AC::Asset, 0, true},
    {Target::Inv, "Inv", Field::Inv, AC::Asset, 0, true},
    {Target::OACurrent, "OA.current", Field::OA, AC::Asset, 2862, true},
    {Target::CA, "CA", Field::CA, AC::Asset, 0, false},
    {Target::OA, "OA", Field::OA, AC::Asset, 2864, false},
    {Target::Invest, "Invest", Field::Invest, AC::Asset, 0, false},
    {Target::Ptfl, "Ptfl", Field::Ptfl, AC::Asset, 0, false},
    {Target::AccountsPayable, "AccountsPayable", Field::AccountsPayable, AC::Liability, 0, true},
    {Target::Paper, "Paper", Field::Paper, AC::Liability, 0, true},
    {Target::OlCurrent, "Ol.current", Field::Ol, AC::Liability, 2866, true},
    {Target::Ol, "Ol", Field::Ol, AC::Liability, 2868, false},
    {Target::Mtg, "Mtg", Field::Mtg, AC::Liability, 0, false},
    {Target::Bonds, "Bonds", Field::Bonds, AC::Liability, 0, false},
    {Target::AmtsAffil, "AmtsAffil", Field::AmtsAffil, AC::Liability, 0, false},
    {Target::OLiabCurrent, "OLiab.current", Field::OLiab, AC::Liability, 2870, true},
    {Target::OLiab, "OLiab", Field::OLiab, AC::Liability, 2872, false},
    {Target::DefTax, "DefTax", Field::DefTax, AC::Liability, 0, false},
    {Target::ShareC, "ShareC", Field::ShareC, AC::Equity, 0, false},
    {Target::RetEarn, "RetEarn", Field::RetEarn, AC::Equity, 0, false},
    {Target::OtherSur, "OtherSur", Field::OtherSur, AC::Equity, 0, false},
    {Target::Sales, "sales", Field::FirmName, AC::Income, 2874, false},
    {Target::Cogs, "cogs", Field::FirmName, AC::Expense, 2876, false},
    {Target::OperatingExpense, "operating-expense", Field::FirmName, AC::Expense, 2878, false},
    {Target::InterestExpense, "interest-expense", Field::FirmName, AC::Expense, 2880, false},
    {Target::IncomeTax, "income-tax", Field::FirmName, AC::Expense, 2882, false},
    {Target::OtherIncome, "other-income", Field::FirmName, AC::Income, 2884, false},
};

const TargetRow& row(Target t) { return kTargets[static_cast<int>(t)]; }

// Names in English and French (folded: lower case, no accents), by class.
struct Keyword {
    AccountClass cls;
    const char* phrase;
    Target target;
};
const Keyword kKeywords[] = {
    // assets
    {AC::Asset, "cash", Target::Cash}, {AC::Asset, "petty cash", Target::Cash},
    {AC::Asset, "chequing", Target::Cash}, {AC::Asset, "checking", Target::Cash},
    {AC::Asset, "savings", Target::Cash}, {AC::Asset, "bank", Target::Cash},
    {AC::Asset, "cash on hand", Target::Cash}, {AC::Asset, "cash and deposits", Target::Cash},
    {AC::Asset, "encaisse", Target::Cash}, {AC::Asset, "caisse", Target::Cash},
    {AC::Asset, "petite caisse", Target::Cash}, {AC::Asset, "banque", Target::Cash},
    {AC::Asset, "compte cheques", Target::Cash}, {AC::Asset, "compte courant", Target::Cash},
    {AC::Asset, "epargne", Target::Cash}, {AC::Asset, "encaisse et depots", Target::Cash},
    {AC::Asset, "accounts receivable", Target::Ar}, {AC::Asset, "receivable", Target::Ar},
    {AC::Asset, "receivables", Target::Ar}, {AC::Asset, "a/r", Target::Ar},
    {AC::Asset, "trade receivables", Target::Ar}, {AC::Asset, "comptes clients", Target::Ar},
    {AC::Asset, "clients", Target::Ar}, {AC::Asset, "debiteurs", Target::Ar},
    {AC::Asset, "comptes debiteurs", Target::Ar}, {AC::Asset, "comptes a recevoir", Target::Ar},
    {AC::Asset, "inventory", Target::Inv}, {AC::Asset, "inventories", Target::Inv},
    {AC::Asset, "merchandise", Target::Inv}, {AC::Asset, "stock", Target::Inv},
    {AC::Asset, "stocks", Target::Inv}, {AC::Asset, "inventaire", Target::Inv},
    {AC::Asset, "marchandises", Target::Inv}, {AC::Asset, "raw materials", Target::Inv},
    {AC::Asset, "matieres premieres", Target::Inv}, {AC::Asset, "work in progress", Target::Inv},
    {AC::Asset, "finished goods", Target::Inv}, {AC::Asset, "produits finis", Target::Inv},
    {AC::Asset, "gst receivable", Target::OACurrent}, {AC::Asset, "hst receivable", Target::OACurrent},
    {AC::Asset, "gst/hst receivable", Target::OACurrent}, {AC::Asset, "gst/hst recoverable", Target::OACurrent},
    {AC::Asset, "input tax credits", Target::OACurrent}, {AC::Asset, "tps a recevoir", Target::OACurrent},
    {AC::Asset, "tvh a recevoir", Target::OACurrent}, {AC::Asset, "tvq a recevoir", Target::OACurrent},
    {AC::Asset, "tps/tvh a recevoir", Target::OACurrent}, {AC::Asset, "taxes a recevoir", Target::OACurrent},
    {AC::Asset, "prepaid", Target::OACurrent}, {AC::Asset, "prepaid expenses", Target::OACurrent},
    {AC::Asset, "prepayments", Target::OACurrent}, {AC::Asset, "payes d'avance", Target::OACurrent},
    {AC::Asset, "paye d'avance", Target::OACurrent}, {AC::Asset, "payees d'avance", Target::OACurrent},
    {AC::Asset, "current assets", Target::OACurrent}, {AC::Asset, "other current assets", Target::OACurrent},
    {AC::Asset, "actif a court terme", Target::OACurrent}, {AC::Asset, "actifs a court terme", Target::OACurrent},
    {AC::Asset, "accumulated amortization", Target::CA}, {AC::Asset, "accumulated depreciation", Target::CA},
    {AC::Asset, "amortissement cumule", Target::CA}, {AC::Asset, "amortissements cumules", Target::CA},
    {AC::Asset, "equipment", Target::CA}, {AC::Asset, "equipement", Target::CA},
    {AC::Asset, "materiel", Target::CA}, {AC::Asset, "machinery", Target::CA},
    {AC::Asset, "machinerie", Target::CA}, {AC::Asset, "vehicle", Target::CA},
    {AC::Asset, "vehicles", Target::CA}, {AC::Asset, "vehicule", Target::CA},
    {AC::Asset, "vehicules", Target::CA}, {AC::Asset, "automobile", Target::CA},
    {AC::Asset, "truck", Target::CA}, {AC::Asset, "camion", Target::CA},
    {AC::Asset, "furniture", Target::CA}, {AC::Asset, "mobilier", Target::CA},
    {AC::Asset, "building", Target::CA}, {AC::Asset, "buildings", Target::CA},
    {AC::Asset, "batiment", Target::CA}, {AC::Asset, "batiments", Target::CA},
    {AC::Asset, "immeuble", Target::CA}, {AC::Asset, "land", Target::CA},
    {AC::Asset, "terrain", Target::CA}, {AC::Asset, "computer", Target::CA},
    {AC::Asset, "computers", Target::CA}, {AC::Asset, "ordinateur", Target::CA},
    {AC::Asset, "ordinateurs", Target::CA}, {AC::Asset, "leasehold improvements", Target::CA},
    {AC::Asset, "ameliorations locatives", Target::CA}, {AC::Asset, "tools", Target::CA},
    {AC::Asset, "outillage", Target::CA}, {AC::Asset, "fixed assets", Target::CA},
    {AC::Asset, "capital assets", Target::CA}, {AC::Asset, "property plant and equipment", Target::CA},
    {AC::Asset, "immobilisations", Target::CA}, {AC::Asset, "immobilisations corporelles", Target::CA},
    {AC::Asset, "investment in subsidiary", Target::Invest}, {AC::Asset, "investments in affiliates", Target::Invest},
    {AC::Asset, "investment in affiliate", Target::Invest}, {AC::Asset, "affiliate", Target::Invest},
    {AC::Asset, "affiliated company", Target::Invest}, {AC::Asset, "subsidiary", Target::Invest},
    {AC::Asset, "associated company", Target::Invest}, {AC::Asset, "societe affiliee", Target::Invest},
    {AC::Asset, "societes affiliees", Target::Invest}, {AC::Asset, "filiale", Target::Invest},
    {AC::Asset, "investments", Target::Ptfl}, {AC::Asset, "investment", Target::Ptfl},
    {AC::Asset, "term deposit", Target::Ptfl}, {AC::Asset, "term deposits", Target::Ptfl},
    {AC::Asset, "gic", Target::Ptfl}, {AC::Asset, "marketable securities", Target::Ptfl},
    {AC::Asset, "portfolio", Target::Ptfl}, {AC::Asset, "placements", Target::Ptfl},
    {AC::Asset, "placement", Target::Ptfl}, {AC::Asset, "depot a terme", Target::Ptfl},
    {AC::Asset, "depots a terme", Target::Ptfl}, {AC::Asset, "titres negociables", Target::Ptfl},
    {AC::Asset, "goodwill", Target::OA}, {AC::Asset, "intangible", Target::OA},
    {AC::Asset, "intangible assets", Target::OA}, {AC::Asset, "incorporation costs", Target::OA},
    {AC::Asset, "organization costs", Target::OA}, {AC::Asset, "achalandage", Target::OA},
    {AC::Asset, "actifs incorporels", Target::OA}, {AC::Asset, "frais de constitution", Target::OA},
    {AC::Asset, "sachanlagen", Target::CA}, {AC::Asset, "anlagevermogen", Target::CA},
    {AC::Asset, "geschaftsausstattung", Target::CA}, {AC::Asset, "vorrate", Target::Inv},
    {AC::Asset, "waren", Target::Inv},
    {AC::Asset, "other assets", Target::OA}, {AC::Asset, "autres actifs", Target::OA},
    // liabilities
    {AC::Liability, "accounts payable", Target::AccountsPayable}, {AC::Liability, "payable", Target::AccountsPayable},
    {AC::Liability, "payables", Target::AccountsPayable}, {AC::Liability, "a/p", Target::AccountsPayable},
    {AC::Liability, "trade payables", Target::AccountsPayable},
    {AC::Liability, "comptes fournisseurs", Target::AccountsPayable},
    {AC::Liability, "fournisseurs", Target::AccountsPayable}, {AC::Liability, "crediteurs", Target::AccountsPayable},
    {AC::Liability, "comptes crediteurs", Target::AccountsPayable},
    {AC::Liability, "comptes a payer", Target::AccountsPayable},
    {AC::Liability, "gst/hst payable", Target::OLiabCurrent}, {AC::Liability, "gst payable", Target::OLiabCurrent},
    {AC::Liability, "hst payable", Target::OLiabCurrent}, {AC::Liability, "pst payable", Target::OLiabCurrent},
    {AC::Liability, "qst payable", Target::OLiabCurrent}, {AC::Liability, "gst/hst", Target::OLiabCurrent},
    {AC::Liability, "sales tax payable", Target::OLiabCurrent}, {AC::Liability, "sales taxes", Target::OLiabCurrent},
    {AC::Liability, "payroll", Target::OLiabCurrent}, {AC::Liability, "payroll liabilities", Target::OLiabCurrent},
    {AC::Liability, "vacation pay", Target::OLiabCurrent}, {AC::Liability, "accrued liabilities", Target::OLiabCurrent},
    {AC::Liability, "accrued", Target::OLiabCurrent}, {AC::Liability, "accruals", Target::OLiabCurrent},
    {AC::Liability, "wages payable", Target::OLiabCurrent}, {AC::Liability, "salaries payable", Target::OLiabCurrent},
    {AC::Liability, "source deductions", Target::OLiabCurrent}, {AC::Liability, "cpp payable", Target::OLiabCurrent},
    {AC::Liability, "ei payable", Target::OLiabCurrent}, {AC::Liability, "income tax payable", Target::OLiabCurrent},
    {AC::Liability, "income taxes payable", Target::OLiabCurrent},
    {AC::Liability, "corporate tax payable", Target::OLiabCurrent},
    {AC::Liability, "deferred revenue", Target::OLiabCurrent}, {AC::Liability, "unearned revenue", Target::OLiabCurrent},
    {AC::Liability, "customer deposits", Target::OLiabCurrent}, {AC::Liability, "tps a payer", Target::OLiabCurrent},
    {AC::Liability, "tvh a payer", Target::OLiabCurrent}, {AC::Liability, "tvq a payer", Target::OLiabCurrent},
    {AC::Liability, "tps/tvh a payer", Target::OLiabCurrent}, {AC::Liability, "taxes de vente", Target::OLiabCurrent},
    {AC::Liability, "salaires a payer", Target::OLiabCurrent},
    {AC::Liability, "retenues a la source", Target::OLiabCurrent},
    {AC::Liability, "deductions a la source", Target::OLiabCurrent},
    {AC::Liability, "charges a payer", Target::OLiabCurrent}, {AC::Liability, "frais courus", Target::OLiabCurrent},
    {AC::Liability, "impots a payer", Target::OLiabCurrent}, {AC::Liability, "produits reportes", Target::OLiabCurrent},
    {AC::Liability, "revenus reportes", Target::OLiabCurrent},
    {AC::Liability, "current liabilities", Target::OLiabCurrent},
    {AC::Liability, "passif a court terme", Target::OLiabCurrent},
    {AC::Liability, "passifs a court terme", Target::OLiabCurrent},
    {AC::Liability, "line of credit", Target::OlCurrent}, {AC::Liability, "bank indebtedness", Target::OlCurrent},
    {AC::Liability, "bank overdraft", Target::OlCurrent}, {AC::Liability, "credit card", Target::OlCurrent},
    {AC::Liability, "visa", Target::OlCurrent}, {AC::Liability, "mastercard", Target::OlCurrent},
    {AC::Liability, "american express", Target::OlCurrent}, {AC::Liability, "amex", Target::OlCurrent},
    {AC::Liability, "current portion", Target::OlCurrent}, {AC::Liability, "demand loan", Target::OlCurrent},
    {AC::Liability, "bank loan", Target::OlCurrent}, {AC::Liability, "marge de credit", Target::OlCurrent},
    {AC::Liability, "carte de credit", Target::OlCurrent}, {AC::Liability, "decouvert bancaire", Target::OlCurrent},
    {AC::Liability, "dette bancaire", Target::OlCurrent}, {AC::Liability, "tranche a court terme", Target::OlCurrent},
    {AC::Liability, "pret a demande", Target::OlCurrent}, {AC::Liability, "emprunt bancaire", Target::OlCurrent},
    {AC::Liability, "shareholder loan", Target::Ol}, {AC::Liability, "shareholder loans", Target::Ol},
    {AC::Liability, "loan from shareholder", Target::Ol}, {AC::Liability, "due to shareholder", Target::Ol},
    {AC::Liability, "due to shareholders", Target::Ol},
    {AC::Liability, "advances from shareholder", Target::Ol},
    {AC::Liability, "shareholder advances", Target::Ol}, {AC::Liability, "due to related", Target::AmtsAffil},
    {AC::Liability, "due to related parties", Target::AmtsAffil}, {AC::Liability, "due to affiliate", Target::AmtsAffil},
    {AC::Liability, "owner loan", Target::Ol}, {AC::Liability, "loan from owner", Target::Ol},
    {AC::Liability, "shareholder", Target::Ol}, {AC::Liability, "pret de l'actionnaire", Target::Ol},
    {AC::Liability, "pret d'actionnaire", Target::Ol},
    {AC::Liability, "avances de l'actionnaire", Target::Ol},
    {AC::Liability, "avance de l'actionnaire", Target::Ol},
    {AC::Liability, "avances des actionnaires", Target::Ol},
    {AC::Liability, "du a l'actionnaire", Target::Ol}, {AC::Liability, "du aux actionnaires", Target::Ol},
    {AC::Liability, "du a une societe liee", Target::AmtsAffil}, {AC::Liability, "actionnaire", Target::Ol},
    {AC::Liability, "actionnaires", Target::Ol},
    {AC::Liability, "mortgage", Target::Mtg}, {AC::Liability, "mortgages", Target::Mtg},
    {AC::Liability, "mortgage payable", Target::Mtg}, {AC::Liability, "hypotheque", Target::Mtg},
    {AC::Liability, "hypotheques", Target::Mtg}, {AC::Liability, "pret hypothecaire", Target::Mtg},
    {AC::Liability, "emprunt hypothecaire", Target::Mtg},
    {AC::Liability, "bonds", Target::Bonds}, {AC::Liability, "debentures", Target::Bonds},
    {AC::Liability, "debenture", Target::Bonds}, {AC::Liability, "obligations", Target::Bonds},
    {AC::Liability, "deferred tax", Target::DefTax}, {AC::Liability, "deferred taxes", Target::DefTax},
    {AC::Liability, "deferred income tax", Target::DefTax}, {AC::Liability, "deferred income taxes", Target::DefTax},
    {AC::Liability, "future income tax", Target::DefTax}, {AC::Liability, "future income taxes", Target::DefTax},
    {AC::Liability, "impots reportes", Target::DefTax}, {AC::Liability, "impot reporte", Target::DefTax},
    {AC::Liability, "impots futurs", Target::DefTax},
    {AC::Liability, "loan", Target::Ol}, {AC::Liability, "loans", Target::Ol},
    {AC::Liability, "long-term debt", Target::Ol}, {AC::Liability, "long term debt", Target::Ol},
    {AC::Liability, "term loan", Target::Ol}, {AC::Liability, "note payable", Target::Ol},
    {AC::Liability, "notes payable", Target::Ol}, {AC::Liability, "pret", Target::Ol},
    {AC::Liability, "prets", Target::Ol}, {AC::Liability, "pret a terme", Target::Ol},
    {AC::Liability, "emprunt", Target::Ol}, {AC::Liability, "emprunts", Target::Ol},
    {AC::Liability, "dette a long terme", Target::Ol}, {AC::Liability, "billet a payer", Target::Ol},
    {AC::Liability, "billets a payer", Target::Ol},
    {AC::Liability, "long-term liabilities", Target::OLiab}, {AC::Liability, "long term liabilities", Target::OLiab},
    {AC::Liability, "passif a long terme", Target::OLiab}, {AC::Liability, "passifs a long terme", Target::OLiab},
    {AC::Liability, "other liabilities", Target::OLiab}, {AC::Liability, "autres passifs", Target::OLiab},
    // equity
    {AC::Equity, "share capital", Target::ShareC}, {AC::Equity, "capital stock", Target::ShareC},
    {AC::Equity, "common shares", Target::ShareC}, {AC::Equity, "common stock", Target::ShareC},
    {AC::Equity, "preferred shares", Target::ShareC}, {AC::Equity, "preferred stock", Target::ShareC},
    {AC::Equity, "capital-actions", Target::ShareC}, {AC::Equity, "capital actions", Target::ShareC},
    {AC::Equity, "actions ordinaires", Target::ShareC}, {AC::Equity, "actions privilegiees", Target::ShareC},
    {AC::Equity, "owner's capital", Target::ShareC}, {AC::Equity, "owner's equity", Target::ShareC},
    {AC::Equity, "partner's capital", Target::ShareC}, {AC::Equity, "capital", Target::ShareC},
    {AC::Equity, "mise de fonds", Target::ShareC}, {AC::Equity, "gezeichnetes kapital", Target::ShareC}, {AC::Equity, "owner investment", Target::ShareC},
    {AC::Equity, "opening balance equity", Target::ShareC},
    {AC::Equity, "retained earnings", Target::RetEarn}, {AC::Equity, "deficit", Target::RetEarn},
    {AC::Equity, "dividends", Target::RetEarn}, {AC::Equity, "dividend", Target::RetEarn},
    {AC::Equity, "drawings", Target::RetEarn}, {AC::Equity, "owner's draw", Target::RetEarn},
    {AC::Equity, "benefices non repartis", Target::RetEarn}, {AC::Equity, "benefice non reparti", Target::RetEarn},
    {AC::Equity, "dividendes", Target::RetEarn}, {AC::Equity, "retraits", Target::RetEarn},
    {AC::Equity, "prelevements", Target::RetEarn}, {AC::Equity, "resultats non distribues", Target::RetEarn},
    {AC::Equity, "current year earnings", Target::RetEarn},
    {AC::Equity, "contributed surplus", Target::OtherSur}, {AC::Equity, "surplus d'apport", Target::OtherSur},
    {AC::Equity, "opening balances", Target::ShareC}, {AC::Equity, "opening balance", Target::ShareC},
    {AC::Equity, "soldes d'ouverture", Target::ShareC}, {AC::Equity, "solde d'ouverture", Target::ShareC}, {AC::Equity, "surplus", Target::OtherSur},
    // income
    {AC::Income, "sales", Target::Sales}, {AC::Income, "sale", Target::Sales},
    {AC::Income, "revenue", Target::Sales}, {AC::Income, "revenues", Target::Sales},
    {AC::Income, "fees", Target::Sales}, {AC::Income, "services", Target::Sales},
    {AC::Income, "income", Target::Sales}, {AC::Income, "ventes", Target::Sales},
    {AC::Income, "vente", Target::Sales}, {AC::Income, "revenus", Target::Sales},
    {AC::Income, "revenu", Target::Sales}, {AC::Income, "honoraires", Target::Sales},
    {AC::Income, "chiffre d'affaires", Target::Sales},
    {AC::Income, "interest income", Target::OtherIncome}, {AC::Income, "interest earned", Target::OtherIncome},
    {AC::Income, "investment income", Target::OtherIncome}, {AC::Income, "dividend income", Target::OtherIncome},
    {AC::Income, "other income", Target::OtherIncome}, {AC::Income, "other revenue", Target::OtherIncome},
    {AC::Income, "gain on", Target::OtherIncome}, {AC::Income, "gain", Target::OtherIncome},
    {AC::Income, "gains", Target::OtherIncome}, {AC::Income, "revenus d'interets", Target::OtherIncome},
    {AC::Income, "revenus de placement", Target::OtherIncome}, {AC::Income, "revenus de placements", Target::OtherIncome},
    {AC::Income, "autres revenus", Target::OtherIncome}, {AC::Income, "autres produits", Target::OtherIncome},
    {AC::Income, "gain sur", Target::OtherIncome}, {AC::Income, "produits financiers", Target::OtherIncome},
    {AC::Income, "interets crediteurs", Target::OtherIncome}, {AC::Income, "interets gagnes", Target::OtherIncome},
    // expenses
    {AC::Expense, "cost of goods sold", Target::Cogs}, {AC::Expense, "cost of sales", Target::Cogs},
    {AC::Expense, "cogs", Target::Cogs}, {AC::Expense, "purchases", Target::Cogs},
    {AC::Expense, "direct materials", Target::Cogs}, {AC::Expense, "direct labour", Target::Cogs},
    {AC::Expense, "direct labor", Target::Cogs}, {AC::Expense, "freight in", Target::Cogs},
    {AC::Expense, "subcontracts", Target::Cogs}, {AC::Expense, "subcontractors", Target::Cogs},
    {AC::Expense, "cost of revenue", Target::Cogs}, {AC::Expense, "cout des marchandises vendues", Target::Cogs},
    {AC::Expense, "cout des ventes", Target::Cogs}, {AC::Expense, "achats", Target::Cogs},
    {AC::Expense, "main-d'oeuvre directe", Target::Cogs}, {AC::Expense, "sous-traitance", Target::Cogs},
    {AC::Expense, "interest expense", Target::InterestExpense}, {AC::Expense, "interest", Target::InterestExpense},
    {AC::Expense, "mortgage interest", Target::InterestExpense}, {AC::Expense, "loan interest", Target::InterestExpense},
    {AC::Expense, "interest on", Target::InterestExpense}, {AC::Expense, "bank interest", Target::InterestExpense},
    {AC::Expense, "interest and bank charges", Target::InterestExpense},
    {AC::Expense, "frais d'interets", Target::InterestExpense}, {AC::Expense, "interets", Target::InterestExpense},
    {AC::Expense, "interet", Target::InterestExpense}, {AC::Expense, "interets sur", Target::InterestExpense},
    {AC::Expense, "interets hypothecaires", Target::InterestExpense},
    {AC::Expense, "frais financiers", Target::InterestExpense},
    {AC::Expense, "charges financieres", Target::InterestExpense},
    {AC::Expense, "income tax", Target::IncomeTax}, {AC::Expense, "income taxes", Target::IncomeTax},
    {AC::Expense, "corporate income tax", Target::IncomeTax}, {AC::Expense, "corporate tax", Target::IncomeTax},
    {AC::Expense, "current income tax", Target::IncomeTax}, {AC::Expense, "impots sur le revenu", Target::IncomeTax},
    {AC::Expense, "impot sur le revenu", Target::IncomeTax},
    {AC::Expense, "impots sur les benefices", Target::IncomeTax}, {AC::Expense, "impots", Target::IncomeTax},
    {AC::Expense, "impot", Target::IncomeTax},
    {AC::Expense, "property taxes", Target::OperatingExpense}, {AC::Expense, "property tax", Target::OperatingExpense},
    {AC::Expense, "business taxes", Target::OperatingExpense}, {AC::Expense, "payroll taxes", Target::OperatingExpense},
    {AC::Expense, "impots fonciers", Target::OperatingExpense},
    {AC::Expense, "taxes foncieres", Target::OperatingExpense},
    {AC::Expense, "taxes municipales", Target::OperatingExpense}, {AC::Expense, "taxes et permis", Target::OperatingExpense},
    {AC::Expense, "rent", Target::OperatingExpense}, {AC::Expense, "wages", Target::OperatingExpense},
    {AC::Expense, "salaries", Target::OperatingExpense}, {AC::Expense, "advertising", Target::OperatingExpense},
    {AC::Expense, "utilities", Target::OperatingExpense}, {AC::Expense, "insurance", Target::OperatingExpense},
    {AC::Expense, "office", Target::OperatingExpense}, {AC::Expense, "amortization", Target::OperatingExpense},
    {AC::Expense, "depreciation", Target::OperatingExpense}, {AC::Expense, "repairs", Target::OperatingExpense},
    {AC::Expense, "bank charges", Target::OperatingExpense}, {AC::Expense, "professional fees", Target::OperatingExpense},
    {AC::Expense, "loyer", Target::OperatingExpense}, {AC::Expense, "salaires", Target::OperatingExpense},
    {AC::Expense, "publicite", Target::OperatingExpense}, {AC::Expense, "assurances", Target::OperatingExpense},
    {AC::Expense, "amortissement", Target::OperatingExpense}, {AC::Expense, "reparations", Target::OperatingExpense},
    {AC::Expense, "frais bancaires", Target::OperatingExpense},
    {AC::Expense, "honoraires professionnels", Target::OperatingExpense},
    {AC::Expense, "legal", Target::OperatingExpense}, {AC::Expense, "accountant", Target::OperatingExpense},
    {AC::Expense, "accounting", Target::OperatingExpense}, {AC::Expense, "comptabilite", Target::OperatingExpense}, {AC::Expense, "legal fees", Target::OperatingExpense},
    {AC::Expense, "professional services", Target::OperatingExpense},
    {AC::Expense, "legal & professional services", Target::OperatingExpense},
    {AC::Expense, "legal and professional services", Target::OperatingExpense},
    {AC::Expense, "honoraires juridiques", Target::OperatingExpense},
    {AC::Expense, "expenses", Target::OperatingExpense}, {AC::Expense, "expense", Target::OperatingExpense},
    {AC::Expense, "depenses", Target::OperatingExpense}, {AC::Expense, "charges", Target::OperatingExpense},
    {AC::Expense, "frais", Target::OperatingExpense},
};

// Class words of groups and headings (folded).
struct ClassWord {
    const char* word;
    AccountClass cls;
};
const ClassWord kClassWords[] = {
    {"assets", AC::Asset}, {"asset", AC::Asset}, {"actif", AC::Asset}, {"actifs", AC::Asset},
    {"liabilities", AC::Liability}, {"liability", AC::Liability}, {"passif", AC::Liability},
    {"passifs", AC::Liability}, {"equity", AC::Equity}, {"capitaux propres", AC::Equity},
    {"avoir des actionnaires", AC::Equity}, {"avoir du proprietaire", AC::Equity},
    {"eigenkapital", AC::Equity}, {"income", AC::Income}, {"revenue", AC::Income}, {"revenues", AC::Income}, {"revenus", AC::Income},
    {"produits", AC::Income}, {"expenses", AC::Expense}, {"expense", AC::Expense}, {"depenses", AC::Expense},
    {"charges", AC::Expense},
};

// Blocks of four-digit account numbers.
struct Block {
    int from, to;
    Target target;
};
const Block kBlocks[] = {
    {1000, 1099, Target::Cash},      {1100, 1199, Target::Ptfl},         {1200, 1299, Target::Ar},
    {1300, 1399, Target::Inv},       {1400, 1499, Target::OACurrent},    {1500, 1799, Target::CA},
    {1800, 1899, Target::Invest},    {1900, 1999, Target::OA},           {2000, 2099, Target::OlCurrent},
    {2100, 2199, Target::AccountsPayable}, {2200, 2399, Target::OLiabCurrent}, {2400, 2499, Target::OlCurrent},
    {2500, 2599, Target::AmtsAffil}, {2600, 2699, Target::Mtg},          {2700, 2799, Target::Ol},
    {2800, 2899, Target::Bonds},     {2900, 2999, Target::DefTax},       {3000, 3499, Target::ShareC},
    {3500, 3999, Target::RetEarn},   {4000, 4799, Target::Sales},        {4800, 4999, Target::OtherIncome},
    {5000, 5499, Target::Cogs},      {5500, 5999, Target::OperatingExpense},
};

std::string fold(const std::string& s) { return import::LabelKey(s); }

bool wordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
}

// Whether a folded phrase occurs in a folded text as whole words.
bool contains(const std::string& text, const std::string& phrase) {
    for (size_t at = text.find(phrase); at != std::string::npos; at = text.find(phrase, at + 1)) {
        const size_t end = at + phrase.size();
        if ((at == 0 || !wordChar(text[at - 1])) && (end == text.size() || !wordChar(text[end]))) return true;
    }
    return false;
}

// The longest phrase of a class (or of any class) found in a text.
const Keyword* bestKeyword(const std::string& folded, AccountClass cls) {
    const Keyword* best = nullptr;
    size_t bestLength = 0;
    for (const Keyword& k : kKeywords) {
        if (cls != AC::Unknown && k.cls != cls) continue;
        const size_t n = std::char_traits<char>::length(k.phrase);
        if (n > bestLength && contains(folded, k.phrase)) {
            best = &k;
            bestLength = n;
        }
    }
    return best;
}

// The four leading digits of an account number with four to six digits; -1 otherwise.
int block(const std::string& code) {
    std::string digits;
    for (char c : code) {
        if (c >= '0' && c <= '9') digits += c;
        else if (!digits.empty()) break;
    }
    if (digits.size() < 4 || digits.size() > 6 || digits.size() != code.size()) return -1;
    return std::atoi(digits.substr(0, 4).c_str());
}

const Block* blockOf(const std::string& code) {
    const int b = block(code);
    for (const Block& k : kBlocks)
        if (b >= k.from && b <= k.to) return &k;
    return nullptr;
}

std::vector<std::string> groupsOf(const Account& a) {
    std::vector<std::string> groups;
    std::string full = a.fullName;
    size_t start = 0;
    for (size_t colon = full.find(':'); colon != std::string::npos; colon = full.find(':', start)) {
        groups.push_back(fold(full.substr(start, colon - start)));
        start = colon + 1;
    }
    return groups;
}

AccountClass classOfGroups(const std::vector<std::string>& groups) {
    for (const auto& g : groups)
        for (const ClassWord& w : kClassWords)
            if (contains(g, w.word)) return w.cls;
    return AC::Unknown;
}

Target classDefault(AccountClass c) {
    switch (c) {
    case AC::Asset: return Target::OA;
    case AC::Liability: return Target::OLiabCurrent;
    case AC::Equity: return Target::OtherSur;
    case AC::Income: return Target::Sales;
    case AC::Expense: return Target::OperatingExpense;
    default: return Target::None;
    }
}

} // namespace

const std::vector<Target>& AllTargets() {
    static const std::vector<Target> all = [] {
        std::vector<Target> v;
        for (const auto& r : kTargets) v.push_back(r.target);
        return v;
    }();
    return all;
}

const char* TargetCode(Target t) { return row(t).code; }

std::string TargetCaption(Target t, int language) {
    const TargetRow& r = row(t);
    return Txt(r.captionId ? r.captionId : CaptionId(r.field), language);
}

std::optional<Target> TargetByName(const std::string& text) {
    const std::string key = fold(text);
    for (const auto& r : kTargets) {
        if (key == fold(r.code)) return r.target;
        for (int lang : {0, 1})
            if (key == fold(TargetCaption(r.target, lang))) return r.target;
    }
    return std::nullopt;
}

Field TargetField(Target t) { return row(t).field; }
bool IsRole(Target t) { return t >= Target::Sales; }

std::string WhyCaption(Why why, int language) { return Txt(2890 + 2 * static_cast<int>(why), language); }

AccountClass ClassOf(const Account& a) {
    if (a.cls != AC::Unknown) return a.cls;
    const auto groups = groupsOf(a);
    if (AccountClass c = classOfGroups(groups); c != AC::Unknown) return c;
    if (const int b = block(a.code); b >= 1000) {
        const int first = b / 1000;
        if (first == 1) return AC::Asset;
        if (first == 2) return AC::Liability;
        if (first == 3) return AC::Equity;
        if (first == 4) return AC::Income;
        return AC::Expense;
    }
    // A sub-account has its parent's class ("Truck:Depreciation").
    for (auto g = groups.rbegin(); g != groups.rend(); ++g)
        if (const Keyword* k = bestKeyword(*g, AC::Unknown)) return k->cls;
    if (const Keyword* k = bestKeyword(fold(a.name), AC::Unknown)) return k->cls;
    return AC::Unknown;
}

namespace {

// Whether any of the folded phrases occurs in a text as whole words.
bool any(const std::string& text, std::initializer_list<const char*> phrases, std::string* found = nullptr) {
    for (const char* p : phrases)
        if (contains(text, p)) {
            if (found) *found = p;
            return true;
        }
    return false;
}
// Like any(), for a phrase that may be written inside a word ("Vorsteuer", "Körperschaftsteuer").
bool anyPart(const std::string& text, std::initializer_list<const char*> parts, std::string* found = nullptr) {
    for (const char* p : parts)
        if (text.find(p) != std::string::npos) {
            if (found) *found = p;
            return true;
        }
    return false;
}

// The rules that an account's place and meaning decide before its own name
// is looked up, in this order. Each gives the phrase it went by.
std::optional<Suggestion> byMeaning(const Account& a, AccountClass cls) {
    const std::string name = fold(a.name);
    const auto groups = groupsOf(a);
    std::string path;  // groups and name, the class's root left out
    for (size_t k = groups.empty() ? 0 : 1; k < groups.size(); ++k) path += groups[k] + " : ";
    path += name;
    std::string groupPath;
    for (const auto& g : groups) groupPath += g + " : ";
    std::string w;
    auto at = [&](Target t, Why y = Why::Name) { return Suggestion{t, y, w}; };

    const bool taxWord = any(groupPath + name, {"tax", "taxes", "vat", "gst", "hst", "pst", "qst", "tps", "tvq", "tvh", "tva",
                                    "impot", "impots", "taxe"}) ||
                         anyPart(groupPath + name, {"steuer"});
    // Contra accounts of capital assets, however named or placed.
    if (cls == AC::Asset &&
        (any(name, {"accumulated depreciation", "accumulated amortization", "accum. amort", "accum amort",
                    "accum. depr", "accumulated depr", "amortissement cumule", "amortissements cumules",
                    "amort. cumule", "amortissements", "amortissement", "depreciation", "amortization"}, &w)))
        return at(Target::CA);
    // Input taxes to recover are current assets, whatever the type or the heading.
    if ((cls == AC::Asset || cls == AC::Liability) &&
        (any(path, {"input tax credits", "input tax credit", "input tax", "cti", "cti a recevoir", "impot prealable",
                    "tva deductible", "paid on purchases", "payee sur les achats", "payee sur achats",
                    "tps a recevoir", "tvq a recevoir", "tvh a recevoir"}, &w) ||
         anyPart(path, {"vorsteuer"}, &w) ||
         (taxWord && any(name, {"input", "recoverable", "receivable", "a recevoir", "a recuperer"}, &w))))
        return at(Target::OACurrent);
    // GnuCash's specific types.
    static const std::map<std::string, Target> byType = {
        {"BANK", Target::Cash},  {"CASH", Target::Cash},   {"RECEIVABLE", Target::Ar},
        {"PAYABLE", Target::AccountsPayable}, {"STOCK", Target::Ptfl}, {"MUTUAL", Target::Ptfl},
        {"CREDIT", Target::OlCurrent}};
    if (auto it = byType.find(a.type); it != byType.end()) {
        w = a.type;
        return at(it->second, Why::Type);
    }
    if (cls == AC::Liability || cls == AC::Equity) {
        // Deferred taxes stay apart from taxes owed.
        if (taxWord && any(path, {"deferred", "future", "reporte", "reportes", "futur", "futurs", "differe",
                                      "differes", "latent", "latents", "latentes"}, &w))
            return at(Target::DefTax);
        // Amounts owing to governments and withheld from wages are accounts
        // payable by their definition (corporate income tax included).
        if (cls == AC::Liability &&
            (taxWord || any(path, {"withholding", "withholdings", "withheld", "payroll", "source deductions",
                                   "retenues", "retenues a la source", "prelevement a la source", "deductions a la source",
                                   "paye", "payg", "cpp", "ei"}, &w))) {
            if (w.empty()) w = "tax";
            return at(Target::AccountsPayable);
        }
        // Loans: current only when their names say so, else long-term.
        const bool loan =
            any(path, {"loan", "loans", "note payable", "notes payable", "borrowing", "borrowings", "bank debt",
                       "line of credit", "credit line", "operating line", "overdraft", "bank indebtedness", "pret",
                       "prets", "emprunt", "emprunts", "dette bancaire", "dettes bancaires", "portant interet",
                       "marge de credit", "decouvert", "darlehen", "kreditinstitut", "kreditinstituten"}, &w) ||
            anyPart(path, {"kreditinstitut"}, &w);
        if (loan && !any(path, {"mortgage", "hypotheque", "hypotheques", "hypothecaire"})) {
            const std::string loanWord = w;
            const std::initializer_list<const char*> longTerm = {"long-term", "long term", "non-current", "noncurrent",
                                                                 "a long terme", "langfristig", "langfristige"};
            if (any(groupPath, longTerm, &w)) return at(Target::Ol, Why::Group);
            if (any(name, longTerm, &w)) return at(Target::Ol);
            if (any(path, {"operating line", "line of credit", "credit line", "demand loan", "current portion",
                           "short-term", "short term", "overdraft", "bank indebtedness", "marge de credit",
                           "pret a demande", "a court terme", "tranche a court terme", "decouvert", "kurzfristig"}, &w))
                return at(Target::OlCurrent);
            w = loanWord;
            return at(Target::Ol);
        }
        if (cls == AC::Liability && any(path, {"lieferungen und leistungen", "kreditoren"}, &w))
            return at(Target::AccountsPayable);
    }
    if (cls == AC::Equity && any(name, {"opening balances", "opening balance", "opening balance equity",
                                        "soldes initiaux", "solde initial", "soldes d'ouverture", "solde d'ouverture",
                                        "ouverture", "owner investment", "funds introduced"}, &w))
        return at(Target::ShareC);
    if (cls == AC::Income || cls == AC::Expense || cls == AC::Equity) {
        // Tax on the enterprise's income, not on wages, sales or property.
        const bool payroll = any(groupPath, {"employees", "employee", "emoluments", "payroll", "wages", "salaries",
                                             "salaires", "personnel", "personalaufwand"});
        if (!payroll &&
            (any(path, {"income tax", "income taxes", "corporation tax", "corporate tax", "corporate income tax",
                        "impots sur le revenu", "impot sur le revenu", "impot sur les societes",
                        "impots sur les societes", "impots sur les benefices", "impot sur les benefices",
                        "impots directs", "steuern vom einkommen"}, &w) ||
             anyPart(path, {"korperschaftsteuer"}, &w) ||
             (any(groupPath, {"taxes", "tax", "impots"}) &&
              any(name, {"federal", "state/province", "state", "province", "provincial", "etat/departement"}, &w))))
            return at(Target::IncomeTax);
        if (cls != AC::Equity && payroll) {
            w = "payroll";
            return at(Target::OperatingExpense);
        }
    }
    if (cls == AC::Income || cls == AC::Expense) {
        if (any(path, {"interest income", "interest earned", "interest revenue", "produits financiers",
                       "revenus financiers", "revenus d'interets", "interets crediteurs", "interets gagnes"}, &w) ||
            anyPart(path, {"ertrage"}, &w) ||
            (cls == AC::Income && any(path, {"interest", "interets", "zinsen"}, &w)))
            return at(Target::OtherIncome);
        if (cls == AC::Expense && any(path, {"interest", "interets", "interet", "zinsen", "zinsaufwendungen",
                                             "charges financieres", "frais financiers"}, &w))
            return at(Target::InterestExpense);
        if (cls == AC::Expense &&
            any(path, {"cost of goods sold", "cost of sales", "cout d'achat des marchandises vendues",
                       "cout des marchandises vendues", "charges de marchandises", "achats de marchandises",
                       "variation des stocks", "variation des stocks de marchandises", "wareneingang",
                       "materialaufwand"}, &w))
            return at(Target::Cogs);
    }
    return std::nullopt;
}

} // namespace

Suggestion Suggest(const Account& a) {
    AccountClass cls = ClassOf(a);
    // Equity kept under the liabilities with their type ("Passiva:A. Eigenkapital").
    if (cls == AC::Liability) {
        const auto groups = groupsOf(a);
        for (size_t k = 1; k < groups.size(); ++k)
            for (const ClassWord& w : kClassWords)
                if (w.cls == AC::Equity && contains(groups[k], w.word)) cls = AC::Equity;
    }
    if (auto s = byMeaning(a, cls)) return *s;
    if (const Keyword* k = bestKeyword(fold(a.name), cls)) return {k->target, Why::Name, k->phrase};
    const auto groups = groupsOf(a);
    for (auto g = groups.rbegin(); g != groups.rend(); ++g)
        if (const Keyword* k = bestKeyword(*g, cls); k && k->target != classDefault(cls))
            return {k->target, Why::Group, k->phrase};
    // Number blocks of small-business charts: for trial balances, whose
    // accounts have no type (a GnuCash chart numbers by its own plan).
    if (const Block* b = blockOf(a.code);
        b && a.type.empty() && (cls == AC::Unknown || row(b->target).cls == cls))
        return {b->target, Why::Number, a.code};
    if (cls != AC::Unknown) return {classDefault(cls), a.type.empty() ? Why::Class : Why::Type, a.type};
    return {Target::None, Why::Unknown, {}};
}

bool NameOnly(const Account& a, Why why) {
    return (why == Why::Name || why == Why::Group || why == Why::Class) && a.type.empty() && !blockOf(a.code);
}

std::string ReasonText(const Account& a, Why why, const std::string& rule, int language,
                       const std::string& booksCurrency) {
    std::string text = WhyCaption(why, language);
    if (!rule.empty() && why != Why::Remembered && why != Why::MappingFile)
        text += language ? " \u00ab\u00a0" + rule + "\u00a0\u00bb" : " \u201c" + rule + "\u201d";
    if (NameOnly(a, why)) text += " \u2014 " + Txt(3306, language);
    if (!a.currency.empty() && !booksCurrency.empty() && a.currency != booksCurrency) {
        std::string other = Txt(3308, language);
        other.replace(other.find("{C}"), 3, a.currency);
        other.replace(other.find("{B}"), 3, booksCurrency);
        text += " \u2014 " + other;
    }
    return text;
}

std::int64_t AmountFor(const Account& a, Target t) {
    const TargetRow& r = row(t);
    switch (r.cls) {
    case AC::Asset: return a.balance;
    case AC::Liability:
    case AC::Equity: return -a.balance;
    case AC::Income: return -a.flow;
    case AC::Expense: return a.flow;
    default: return a.balance;
    }
}

Statement ComputeStatement(const Book& book, const std::vector<Target>& targets) {
    Statement s;
    std::int64_t sum[kTargetCount] = {};
    for (size_t k = 0; k < book.accounts.size() && k < targets.size(); ++k) {
        const Account& a = book.accounts[k];
        const Target t = targets[k];
        if (t == Target::None) {
            if (a.balance != 0 || a.flow != 0) s.leftOut.push_back(k);
            continue;
        }
        sum[static_cast<int>(t)] += AmountFor(a, t);
        // What an income-statement account holds at the year end has not
        // been closed into equity yet: it is, as retained earnings.
        if (IsRole(t)) s.closedIntoRetainedEarnings -= a.balance;
    }
    auto v = [&](Target t) { return sum[static_cast<int>(t)]; };
    std::int64_t field[kFieldCount] = {};
    for (const auto& r : kTargets)
        if (!IsRole(r.target) && r.target != Target::None) field[static_cast<int>(r.field)] += v(r.target);
    field[static_cast<int>(Field::RetEarn)] += s.closedIntoRetainedEarnings;
    const std::int64_t sales = v(Target::Sales);
    const std::int64_t gross = sales - v(Target::Cogs);
    const std::int64_t operating = gross - v(Target::OperatingExpense);
    const std::int64_t pretax = operating - v(Target::InterestExpense) + v(Target::OtherIncome);
    s.profitOfYear = pretax - v(Target::IncomeTax);
    field[static_cast<int>(Field::OperatingRevenue)] = sales;
    field[static_cast<int>(Field::Sales)] = sales;
    field[static_cast<int>(Field::GrossProfit)] = gross;
    field[static_cast<int>(Field::OperatingProfit)] = operating;
    field[static_cast<int>(Field::InterestExpense)] = v(Target::InterestExpense);
    field[static_cast<int>(Field::PretaxProfit)] = pretax;
    field[static_cast<int>(Field::ProfitAfterTax)] = s.profitOfYear;
    for (const auto& r : kTargets)
        if (r.current && !IsRole(r.target))
            field[static_cast<int>(r.cls == AC::Asset ? Field::CurrentAssets : Field::CurrentLiabilities)] += v(r.target);
    s.noAmount = true;
    for (Field f : ValueFields()) {
        s.record[f] = FormatTenThousandths(field[static_cast<int>(f)]);
        if (field[static_cast<int>(f)] != 0) s.noAmount = false;
    }
    s.outOfRange = !subCalculateSubTotals(s.record);
    if (!s.outOfRange) {
        s.totalAssets = ReadTenThousandths(s.record[Field::Ta]).value_or(0);
        s.totalLiabilitiesAndEquity = ReadTenThousandths(s.record[Field::TotLiabShareEq]).value_or(0);
        s.balanced = std::llabs(s.totalAssets - s.totalLiabilitiesAndEquity) < 50;  // half a cent
    }
    return s;
}

// ---------------------------------------------------------------- remembered

std::map<std::string, Target> LoadRememberedMapping(ConnectionHandle& user, const std::string& bookKey) {
    std::map<std::string, Target> m;
    if (!TableExists(user, kMappingTable)) return m;
    auto rs = GetRS(user, "select AccountKey, Target from BookMappings where BookKey = ?", "read", {Variant(bookKey)});
    for (const auto& r : rs->Rows())
        if (auto t = TargetByName(r[1].toString())) m[r[0].toString()] = *t;
    return m;
}

bool RememberMapping(ConnectionHandle& user, const Book& book, const std::vector<Target>& targets) {
    if (!TableExists(user, kMappingTable)) return false;
    Transaction tx(user);
    ExecCmdInDB(user, "delete * from BookMappings where BookKey = ?", {Variant(book.key)});
    for (size_t k = 0; k < book.accounts.size() && k < targets.size(); ++k) {
        const Account& a = book.accounts[k];
        ExecCmdInDB(user, "INSERT into BookMappings (BookKey, AccountKey, AccountName, Target) VALUES (?, ?, ?, ?)",
                    {Variant(book.key), Variant(a.key), Variant(a.fullName), Variant(std::string(TargetCode(targets[k])))});
    }
    tx.Commit();
    return true;
}

// ---------------------------------------------------------------- mapping files

std::string MappingCsv(const Book& book, const std::vector<Target>& targets) {
    std::string out = "account,number,name,target\r\n";
    for (size_t k = 0; k < book.accounts.size() && k < targets.size(); ++k) {
        const Account& a = book.accounts[k];
        out += CsvField(a.key) + "," + CsvField(a.code) + "," + CsvField(a.fullName) + "," + TargetCode(targets[k]) +
               "\r\n";
    }
    return out;
}

std::map<std::string, Target> ReadMappingFile(const std::string& path, const Book& book) {
    SheetDocument doc(path);
    const auto rows = doc.Rows(doc.FirstVisibleSheet());
    // Columns by their heading; without one: account, number, name, target.
    int keyCol = 0, numberCol = 1, nameCol = 2, targetCol = 3;
    size_t first = 0;
    if (!rows.empty()) {
        bool heading = false;
        for (size_t c = 0; c < rows[0].cells.size(); ++c) {
            const std::string h = fold(rows[0].cells[c].text);
            const int col = static_cast<int>(c);
            if (h == "account" || h == "compte") keyCol = col, heading = true;
            else if (h == "number" || h == "numero") numberCol = col, heading = true;
            else if (h == "name" || h == "nom") nameCol = col, heading = true;
            else if (h == "target" || h == "line item" || h == "poste") targetCol = col, heading = true;
        }
        first = heading ? 1 : 0;
    }
    auto cell = [](const SheetRow& r, int c) {
        return c < static_cast<int>(r.cells.size()) ? r.cells[static_cast<size_t>(c)].text : std::string();
    };
    std::map<std::string, Target> byKey, byNumber, byName;
    for (size_t k = first; k < rows.size(); ++k) {
        const SheetRow& r = rows[k];
        const std::string t = cell(r, targetCol);
        auto target = TargetByName(t);
        if (!target) throw std::runtime_error("line " + std::to_string(r.line) + ": unknown line item \"" + t + "\"");
        if (!cell(r, keyCol).empty()) byKey[cell(r, keyCol)] = *target;
        if (!cell(r, numberCol).empty()) byNumber[cell(r, numberCol)] = *target;
        if (!cell(r, nameCol).empty()) byName[fold(cell(r, nameCol))] = *target;
    }
    std::map<std::string, Target> out;
    for (const Account& a : book.accounts) {
        if (auto it = byKey.find(a.key); it != byKey.end()) out[a.key] = it->second;
        else if (auto n = byNumber.find(a.code); !a.code.empty() && n != byNumber.end()) out[a.key] = n->second;
        else if (auto m = byName.find(fold(a.fullName)); m != byName.end()) out[a.key] = m->second;
    }
    return out;
}

Mapping MakeMapping(const Book& book, const std::map<std::string, Target>& given, Why givenWhy) {
    Mapping m;
    for (const Account& a : book.accounts) {
        if (auto it = given.find(a.key); it != given.end()) {
            m.targets.push_back(it->second);
            m.why.push_back(givenWhy);
            m.rules.emplace_back();
            ++m.remembered;
            continue;
        }
        const Suggestion s = Suggest(a);
        m.targets.push_back(s.target);
        m.why.push_back(s.why);
        m.rules.push_back(s.rule);
    }
    return m;
}

} // namespace zorva::books
