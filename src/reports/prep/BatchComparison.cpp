#include "reports/prep/BatchComparison.h"

#include "core/Edition.h"

#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/NumberText.h"
#include "reports/prep/ReportPrep.h"
#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportSql.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace zorva {

using namespace reportsql;

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The latest year of the edition -> 0, the year before -> 1, the earliest -> 2.
int yearSlot(int year) { return CurrentEdition().Slot(year); }

} // namespace

ComparisonBatch::ComparisonBatch(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, std::int16_t Volume,
                                 const std::string& Province, const std::string& NAICS, const std::string& Language)
    : language_(Language) {
    RequireDataSet(Volume, Province);
    // The same extraction as the report's preparation, read back in the same
    // write transaction so that another copy cannot change it in between,
    // which is then rolled back: the user store is left as it was (and
    // nothing waits for the disk).
    Transaction tx(WriteConn);
    const Edition& edition = CurrentEdition();
    subExtractIndustryData(DataConn, WriteConn, "com", Volume, Province, edition.latest, NAICS, Language);
    for (int year = edition.latest; year >= edition.Earliest(); --year) {
        auto rs = GetRS(WriteConn, "select * from " + ReportDataTableOfYear(year), "read");
        YearFigures& y = years_[yearSlot(year)];
        if (rs->RecordCount() == 0) continue;
        for (int f = 0; f < rs->FieldCount(); ++f) y.byColumn.emplace(upper(rs->FieldName(f)), rs->Fields(f));
        auto n = y.byColumn.find("NUMBEROFFIRMS");
        y.hasData = n != y.byColumn.end() && !n->second.isNull();
        if (!y.hasData) continue;
        try {
            y.resolved = ResolveIndustryYear([&](const std::string& column) { return Figure(year, column); });
        } catch (const DbError& e) {
            y.unreadable = e.what();  // said for each enterprise of the year, as the report would
        }
    }
    myVol_ = ComparisonVolumeTitle(WriteConn, Volume, Province, Language);
    ComparisonTableColumns(WriteConn, &tableColumns_, &rowIndex_);
}

void ComparisonTableColumns(ConnectionHandle& WriteConn, std::vector<std::string>* tableColumns,
                            std::vector<size_t>* rowIndex) {
    auto table = GetRS(WriteConn, "select * from Rpt_Comparison where 1 = 0", "read");
    const auto& names = ComparisonColumnNames();
    for (int f = 0; f < table->FieldCount(); ++f) {
        const std::string& name = table->FieldName(f);
        auto it = std::find_if(names.begin(), names.end(),
                               [&](const std::string& n) { return strcasecmp(n.c_str(), name.c_str()) == 0; });
        if (it == names.end()) continue;  // a column the comparison does not write stays out
        tableColumns->push_back(*it);
        rowIndex->push_back(static_cast<size_t>(it - names.begin()));
    }
}

Variant ComparisonBatch::Figure(int year, const std::string& column) const {
    if (!KnownYear(year)) return Variant();
    const YearFigures& y = years_[yearSlot(year)];
    auto it = y.byColumn.find(upper(column));
    return it == y.byColumn.end() ? Variant() : it->second;
}

std::optional<ComparisonRow> ComparisonBatch::Compare(const std::vector<std::string>& values, std::int16_t Year,
                                                      std::string* message) const {
    const int lang = LanguageIndex(language_);
    if (!KnownYear(Year)) {
        *message = EditionText(916, lang);
        return std::nullopt;
    }
    if (values.size() < kComparisonValueCount)
        throw ReportArgumentError("The comparison needs 37 values, not " + std::to_string(values.size()) + ".");
    auto ta = ParseNumber(values[report::cv::Ta]);
    if (ta && *ta == 0) {
        *message = Txt(560, lang);
        return std::nullopt;
    }
    const YearFigures& y = years_[yearSlot(Year)];
    if (!y.hasData) {
        *message = NoDataMessage(language_, Year);
        return std::nullopt;
    }
    if (!y.unreadable.empty()) throw DbError(y.unreadable);
    return ComputeComparisonRow(values, Year, y.resolved, myVol_);
}

} // namespace zorva
