#include "CompareStream.h"

#include "Enterprises.h"
#include "Json.h"
#include "Portfolio.h"

#include "core/Edition.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "core/Strings.h"
#include "enterprise/CsvStream.h"
#include "enterprise/SheetFile.h"
#include "enterprise/ValuesFlow.h"
#include "reports/prep/BatchComparison.h"
#include "reports/prep/ReportPrep.h"
#include "selection/IndustrySearch.h"

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zorva::cli {

namespace {

// ---------------------------------------------------------------- input

// A file read with read(2) in blocks: the page cache is not counted in the
// process's memory as a mapping would be.
class InputFile {
public:
    explicit InputFile(const std::string& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw InputRefused("cannot read the file " + path);
        struct stat st {};
        if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
            regular_ = true;
            size_ = static_cast<unsigned long long>(st.st_size);
        }
    }
    ~InputFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    size_t read(char* buffer, size_t capacity) {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, capacity);
            if (n >= 0) return static_cast<size_t>(n);
            if (errno != EINTR) throw std::runtime_error("cannot read the file " + path_);
        }
    }
    void rewind() {
        if (::lseek(fd_, 0, SEEK_SET) != 0) throw InputRefused("cannot read the file " + path_ + " twice");
    }
    bool regular() const { return regular_; }
    unsigned long long size() const { return size_; }

private:
    std::string path_;
    int fd_ = -1;
    bool regular_ = false;
    unsigned long long size_ = 0;
};

// Records of a CSV file or of a workbook's first sheet, one at a time.
class RecordSource {
public:
    explicit RecordSource(const std::string& path) : file_(path) {
        char head[4] = {};
        const size_t n = file_.read(head, sizeof head);
        file_.rewind();
        if (n == 4 && std::string(head, 4) == "PK\x03\x04") {
            try {
                sheet_ = WorkbookRows(path, &sheetLines_);
            } catch (const std::runtime_error& e) {
                throw InputRefused(e.what());
            }
            workbook_ = true;
            return;
        }
        if (file_.regular()) {
            // The whole file is checked before anything is compared.
            Utf8Checker check;
            std::vector<char> block(1 << 20);
            for (size_t got; (got = file_.read(block.data(), block.size())) > 0;)
                if (!check.Add(block.data(), got)) throw InputRefused(check.Error());
            if (!check.Finish()) throw InputRefused(check.Error());
            file_.rewind();
        }
        stream_ = std::make_unique<CsvStream>([this](char* buffer, size_t capacity) {
            const size_t n = file_.read(buffer, capacity);
            // A pipe is checked as it comes.
            if (!file_.regular() && !(n ? pipeCheck_.Add(buffer, n) : pipeCheck_.Finish()))
                throw std::runtime_error(pipeCheck_.Error());
            return n;
        });
    }

    bool next(CsvRecord& record) {
        if (!workbook_) return stream_->Next(record);
        if (sheetNext_ >= sheet_.size()) return false;
        record.line = sheetLines_[sheetNext_];
        record.error.clear();
        record.fields = std::move(sheet_[sheetNext_++]);
        return true;
    }
    // How far the reading has come, and of how much (0 when unknown).
    unsigned long long done() const { return workbook_ ? sheetNext_ : stream_->BytesRead(); }
    unsigned long long total() const { return workbook_ ? sheet_.size() : file_.size(); }

private:
    InputFile file_;
    bool workbook_ = false;
    std::vector<std::vector<std::string>> sheet_;
    std::vector<long> sheetLines_;
    size_t sheetNext_ = 0;
    std::unique_ptr<CsvStream> stream_;
    Utf8Checker pipeCheck_;
};

// ---------------------------------------------------------------- industries

const DatasetChoice* datasetByName(const std::string& name) {
    for (const DatasetChoice& c : Catalogue())
        if (strcasecmp(c.option, name.c_str()) == 0) return &c;
    return nullptr;
}

// The first column of a comparison row that holds the same value for every
// enterprise of an industry and year: the data set's title, then the
// industry's own figures to the end of the row.
size_t firstIndustryColumn() {
    static const size_t k = [] {
        const auto& names = ComparisonColumnNames();
        return static_cast<size_t>(std::find(names.begin(), names.end(), "MyVol") - names.begin());
    }();
    return k;
}

// One industry of one data set, read from the stores once.
struct Industry {
    const DatasetChoice* choice = nullptr;
    std::string naics, title;
    std::unique_ptr<ComparisonBatch> batch;
    std::string error;  // why its rows cannot be compared
    // How a row of each year (2010, 2009, 2008) is written, made from the
    // first row of the year: the keys and the industry's own columns (the
    // same for every enterprise) already joined into texts, between the
    // enterprise's values.
    struct Piece {
        std::string text;  // written as it is
        size_t value;      // then this value of the row; npos after the last
    };
    mutable std::once_flag laidOut[3];
    mutable std::vector<Piece> layout[3];
};

// The industries a run meets, each made the first time a row names it. The
// stores are touched here only, under the lock.
class Industries {
public:
    explicit Industries(int language) : language_(language) {}

    const Industry& get(const DatasetChoice* choice, const std::string& naics) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& slot = byKey_[std::string(choice->option) + '\n' + naics];
        if (!slot) slot = make(choice, naics);
        return *slot;
    }

private:
    std::unique_ptr<Industry> make(const DatasetChoice* c, const std::string& naics) {
        auto in = std::make_unique<Industry>();
        in->choice = c;
        in->naics = naics;
        const std::string table = RatioTableName(c->volume, c->region, CurrentEdition().latest);
        try {
            if (!TableExists(gcnIndustry, table)) {
                in->error = std::string("the data set ") + c->option + " has no data (no table " + table + ")";
                return in;
            }
            auto row = LookupIndustry(gcnIndustry, table, NaicsTableForVolume(c->volume), naics, language_);
            if (!row) {
                in->error = "the NAICS code " + naics + " is not an industry of the data set " + c->option;
                return in;
            }
            in->title = row->title;
            in->batch = std::make_unique<ComparisonBatch>(gcnIndustry, gcnUser, c->volume, c->region, naics,
                                                          language_ ? "F" : "E");
        } catch (const std::exception& e) {
            in->error = Txt(904, language_) + e.what();
        }
        return in;
    }

    int language_;
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Industry>> byKey_;
};

// ---------------------------------------------------------------- output

enum class Format { Json, Csv, Workbook };

// The columns written: Rpt_Comparison's, in the table's order, or those of --fields.
struct Columns {
    std::vector<std::string> names;
    std::vector<size_t> rowIndex;      // into a ComparisonRow
    std::vector<std::string> jsonKey;  // "\"name\":", with the comma before all but the first
};

Columns columnsOf(const std::vector<std::string>& wanted) {
    Columns all;
    ComparisonTableColumns(gcnUser, &all.names, &all.rowIndex);
    Columns c;
    if (wanted.empty()) {
        c = all;
    } else {
        for (const std::string& w : wanted) {
            size_t k = 0;
            while (k < all.names.size() && strcasecmp(all.names[k].c_str(), w.c_str()) != 0) ++k;
            if (k == all.names.size())
                throw InputRefused("--fields: there is no column " + w +
                                   " (the columns are those of Rpt_Comparison, e.g. MyFirmName,MyNPM,BetterNPM)");
            c.names.push_back(all.names[k]);
            c.rowIndex.push_back(all.rowIndex[k]);
        }
    }
    for (size_t k = 0; k < c.names.size(); ++k) {
        std::string key = k ? "," : "";
        AppendJsonString(key, c.names[k]);
        c.jsonKey.push_back(key + ":");
    }
    return c;
}

// What a block of records gives.
struct BlockOutput {
    std::string text;    // JSON lines (rows and errors) or CSV rows
    std::string errors;  // error lines, when the rows go to a file
    std::vector<Portfolio::Entry> entries;
    std::vector<const Industry*> entryIndustry;
    std::vector<long> entryLine;
    long long compared = 0, refused = 0;
};

std::string errorLine(long line, const RecordTexts* record, const std::string& message) {
    JsonObject o;
    o.add("line", Json(line));
    if (record) {
        const std::string& year = (*record)[Field::Year];
        auto n = ParseNumber(year);
        o.addString("FirmName", (*record)[Field::FirmName]).add("Year", n ? NumberJson(*n) : Json(year));
    }
    return o.addString("error", message).str() + "\n";
}

// A progress bar on a terminal's standard error, drawn once a run has lasted
// a second, at most ten times a second.
class ProgressBar {
public:
    ProgressBar(std::ostream* out, unsigned long long total)
        : out_(out && isatty(STDERR_FILENO) && total ? out : nullptr), total_(total),
          start_(std::chrono::steady_clock::now()) {}
    ~ProgressBar() {
        if (drawn_) *out_ << "\r" << std::string(70, ' ') << "\r" << std::flush;
    }
    void show(unsigned long long done, long long rows) {
        if (!out_) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        drawn_ = true;
        const size_t width = 30, filled = static_cast<size_t>(std::min(done, total_) * width / total_);
        *out_ << "\r[" << std::string(filled, '#') << std::string(width - filled, ' ') << "] "
              << std::min(done, total_) * 100 / total_ << " %, " << rows << " rows" << std::flush;
    }

private:
    std::ostream* out_;
    unsigned long long total_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

// ---------------------------------------------------------------- the run

struct Block {
    long long seq = 0;
    std::vector<CsvRecord> records;
};

class Run {
public:
    Run(const CompareRun& run, std::ostream& out) : run_(run), out_(out), industries_(run.language) {}

    CompareTotals go() {
        RecordSource source(run_.valuesPath);
        CsvRecord header;
        if (!source.next(header)) throw InputRefused("the file is empty: a header row is needed");
        if (!header.error.empty()) throw InputRefused(header.error);
        try {
            columns_ = ReadEnterpriseColumns(header.fields, true);
        } catch (const std::runtime_error& e) {
            throw InputRefused(e.what());
        }
        prepare();

        const unsigned workers = run_.threads ? run_.threads : std::max(1u, std::thread::hardware_concurrency());
        ProgressBar bar(run_.progress, source.total());
        bar_ = &bar;
        source_ = &source;
        std::vector<std::thread> threads;
        for (unsigned w = 0; w < workers; ++w) threads.emplace_back([this] { work(); });
        try {
            read(source, workers * 2);
        } catch (...) {
            fail(std::current_exception());
        }
        close();
        for (auto& t : threads) t.join();
        bar_ = nullptr;
        if (failure_) std::rethrow_exception(failure_);
        finish();
        return totals_;
    }

private:
    // Everything that can refuse the run, before anything is written.
    void prepare() {
        if (columns_.naicsColumn < 0 && run_.naics.empty())
            throw InputRefused("compare needs --naics, or a NAICS column in the file");
        if (columns_.datasetColumn < 0 && !run_.dataset)
            throw InputRefused("compare needs --dataset, or a Dataset column in the file");
        if (run_.dataset && !run_.naics.empty()) {
            const Industry& i = industries_.get(run_.dataset, run_.naics);
            if (!i.error.empty()) throw InputRefused(i.error);
        } else if (run_.dataset) {
            const std::string table = RatioTableName(run_.dataset->volume, run_.dataset->region, CurrentEdition().latest);
            if (!TableExists(gcnIndustry, table))
                throw InputRefused(std::string("the data set ") + run_.dataset->option + " has no data (no table " +
                                   table + ")");
        }
        const std::string& path = run_.outPath;
        auto endsWith = [&](const char* ext) {
            const size_t n = std::strlen(ext);
            return path.size() > n && strcasecmp(path.c_str() + path.size() - n, ext) == 0;
        };
        format_ = path.empty() ? Format::Json : endsWith(".csv") ? Format::Csv : endsWith(".xlsx") ? Format::Workbook
                                                                                                 : Format::Json;
        if (!path.empty() && format_ == Format::Json)
            throw InputRefused("--out must name a .csv or .xlsx file, not " + path);
        if (format_ == Format::Workbook && !run_.fields.empty())
            throw InputRefused("--fields chooses the columns of JSON and CSV output, not of a portfolio workbook");
        columns_out_ = columnsOf(run_.fields);
        if (format_ == Format::Csv) {
            csv_ = std::fopen(path.c_str(), "wb");
            if (!csv_) throw InputRefused("cannot write the file " + path);
            std::string line;
            for (size_t k = 0; k < columns_out_.names.size(); ++k) {
                if (k) line += ',';
                AppendCsvText(line, columns_out_.names[k]);
            }
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), csv_);
        } else if (format_ == Format::Workbook) {
            openWorkbook(path);
        }
    }

    void openWorkbook(const std::string& path) {
        // The file is written only at the end: make sure now that it can be.
        const bool existed = ::access(path.c_str(), F_OK) == 0;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) throw InputRefused("cannot write the file " + path);
        ::close(fd);
        if (!existed) ::unlink(path.c_str());
        const bool fr = run_.language == 1;
        const bool oneIndustry = columns_.naicsColumn < 0 && columns_.datasetColumn < 0;
        std::string title, subtitle;
        if (oneIndustry) {
            const Industry& i = industries_.get(run_.dataset, run_.naics);
            title = std::string(fr ? "Comparaison avec l'industrie : " : "Comparison with the industry: ") + i.title +
                    (fr ? " (SCIAN " : " (NAICS ") + i.naics + ")";
        } else {
            title = fr ? "Comparaison de chaque entreprise avec son industrie"
                       : "Comparison of each enterprise with its industry";
        }
        if (columns_.datasetColumn < 0) subtitle = ChoiceCaption(*run_.dataset, run_.language);
        oneIndustry_ = oneIndustry;
        portfolioTitle_ = title;
        portfolio_ = std::make_unique<Portfolio>(path, title, subtitle, run_.language,
                                                 run_.sheetRows > 0 ? run_.sheetRows : Portfolio::kCapacity);
        if (!portfolio_->Error().empty()) throw InputRefused(portfolio_->Error());
    }

    bool stopRequested() const { return (run_.stop && run_.stop->load()) || halted_.load(); }

    // The calling thread: records into blocks, blocks into the queue.
    void read(RecordSource& source, size_t capacity) {
        long long seq = 0;
        Block block;
        block.records.resize(kBlockRows);
        size_t filled = 0;
        auto hand = [&] {
            block.records.resize(filled);
            block.seq = seq++;
            std::unique_lock<std::mutex> lock(mutex_);
            queueSpace_.wait(lock, [&] { return queue_.size() < capacity || aborted_; });
            if (aborted_) return false;
            queue_.push_back(std::move(block));
            queued_.notify_one();
            block = Block();
            block.records.resize(kBlockRows);
            filled = 0;
            return true;
        };
        while (!stopRequested()) {
            if (!source.next(block.records[filled])) break;
            if (++filled == kBlockRows && !hand()) return;
        }
        if (filled) hand();
    }

    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        queued_.notify_all();
    }

    void fail(std::exception_ptr e) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failure_) failure_ = e;
        aborted_ = true;
        queued_.notify_all();
        queueSpace_.notify_all();
        turn_.notify_all();
    }

    // A worker: compare a block, then write it in its turn.
    void work() {
        LastIndustry last;
        try {
            for (;;) {
                Block block;
                {
                    std::unique_lock<std::mutex> lock(mutex_);
                    queued_.wait(lock, [&] { return !queue_.empty() || closed_ || aborted_; });
                    if (aborted_ || queue_.empty()) return;
                    block = std::move(queue_.front());
                    queue_.pop_front();
                    queueSpace_.notify_one();
                }
                BlockOutput output;
                if (format_ != Format::Workbook) output.text.reserve(block.records.size() * 3200);
                for (CsvRecord& r : block.records) compare(r, output, last);
                std::unique_lock<std::mutex> lock(mutex_);
                turn_.wait(lock, [&] { return nextToWrite_ == block.seq || aborted_; });
                if (aborted_) return;
                write(output);
                ++nextToWrite_;
                turn_.notify_all();
            }
        } catch (...) {
            fail(std::current_exception());
        }
    }

    void refuse(BlockOutput& o, long line, const RecordTexts* record, const std::string& message) {
        ++o.refused;
        (format_ == Format::Json ? o.text : o.errors) += errorLine(line, record, message);
    }

    // The pieces a row is written in (see Industry::Piece), from a first row.
    template <class Append>
    std::vector<Industry::Piece> layoutOf(const ComparisonRow& row, Append append) const {
        const bool json = format_ == Format::Json;
        const size_t fixedFrom = firstIndustryColumn();
        std::vector<Industry::Piece> pieces;
        std::string text = json ? "{" : "";
        for (size_t k = 0; k < columns_out_.rowIndex.size(); ++k) {
            text += json ? columns_out_.jsonKey[k] : k ? "," : "";
            const size_t i = columns_out_.rowIndex[k];
            if (i >= fixedFrom) {
                append(text, row[i]);
            } else {
                pieces.push_back({std::move(text), i});
                text.clear();
            }
        }
        pieces.push_back({text + (json ? "}\n" : "\n"), std::string::npos});
        return pieces;
    }

    // The industry of the previous row, per worker: rows of one industry
    // come in runs, and its look-up need not take the lock each time.
    struct LastIndustry {
        const DatasetChoice* choice = nullptr;
        std::string naics;
        const Industry* industry = nullptr;
    };

    void compare(const CsvRecord& r, BlockOutput& o, LastIndustry& last) {
        if (!r.error.empty()) return refuse(o, r.line, nullptr, r.error);
        EnterpriseInput in = EnterpriseOfRow(columns_, r.fields, r.line, std::string(), run_.language);
        if (in.malformed) return refuse(o, r.line, nullptr, in.message);
        if (!in.ok) return refuse(o, r.line, &in.record, in.message);
        const DatasetChoice* choice = run_.dataset;
        if (!in.dataset.empty()) {
            choice = datasetByName(in.dataset);
            if (!choice) return refuse(o, r.line, &in.record, "unknown data set: " + in.dataset + " (see zorva-cli datasets)");
        }
        if (!choice) return refuse(o, r.line, &in.record, "the row names no data set (Dataset column)");
        const std::string& naics = in.naics.empty() ? run_.naics : in.naics;
        if (naics.empty()) return refuse(o, r.line, &in.record, "the row names no industry (NAICS column)");
        if (last.industry == nullptr || last.choice != choice || last.naics != naics) {
            last.industry = &industries_.get(choice, naics);
            last.choice = choice;
            last.naics = naics;
        }
        const Industry& industry = *last.industry;
        if (!industry.error.empty()) return refuse(o, r.line, &in.record, industry.error);
        in.record[Field::NAICS] = naics;

        // The comparison as the values screen requests it.
        const values::ComparisonRequest request =
            values::RequestComparison(in.record, naics, industry.title, run_.language);
        if (!request.ok()) return refuse(o, r.line, &in.record, request.message);
        std::optional<ComparisonRow> row;
        std::string message;
        try {
            row = industry.batch->Compare(request.values, request.year, &message);
        } catch (const std::exception& e) {
            message = Txt(904, run_.language) + e.what();
        }
        if (!row) return refuse(o, r.line, &in.record, message);
        ++o.compared;
        switch (format_) {
        case Format::Json:
        case Format::Csv: {
            const bool json = format_ == Format::Json;
            auto append = [json](std::string& t, const Variant& v) { json ? AppendJsonValue(t, v) : AppendCsvValue(t, v); };
            const size_t slot = static_cast<size_t>(CurrentEdition().Slot(request.year));
            std::call_once(industry.laidOut[slot], [&] { industry.layout[slot] = layoutOf(*row, append); });
            for (const Industry::Piece& piece : industry.layout[slot]) {
                o.text += piece.text;
                if (piece.value != std::string::npos) append(o.text, (*row)[piece.value]);
            }
            break;
        }
        case Format::Workbook: {
            const std::string shown = columns_.datasetColumn < 0
                                          ? industry.title
                                          : industry.title + " (" + ChoiceCaption(*choice, run_.language) + ")";
            o.entries.push_back(Portfolio::MakeEntry(*industry.batch, shown, request.values, *row));
            o.entryIndustry.push_back(&industry);
            o.entryLine.push_back(r.line);
            break;
        }
        }
    }

    // In the block's turn, under the lock.
    void write(BlockOutput& o) {
        if (stopRequested()) {
            totals_.stopped = totals_.notWritten.empty();
            return;
        }
        switch (format_) {
        case Format::Json: out_.write(o.text.data(), static_cast<std::streamsize>(o.text.size())); break;
        case Format::Csv:
            std::fwrite(o.text.data(), 1, o.text.size(), csv_);
            out_.write(o.errors.data(), static_cast<std::streamsize>(o.errors.size()));
            break;
        case Format::Workbook:
            for (size_t k = 0; k < o.entries.size(); ++k) {
                if (!portfolio_->Add(o.entries[k])) {
                    totals_.notWritten = sheetFull(o.entryLine[k]);
                    halted_ = true;  // nothing more can be written: stop reading
                    o.compared = static_cast<long long>(k);
                    break;
                }
                const Industry* i = o.entryIndustry[k];
                if (announced_.insert(i).second)
                    portfolio_->AddIndustry(oneIndustry_ ? portfolioTitle_
                                                         : i->title + (run_.language ? " (SCIAN " : " (NAICS ") +
                                                               i->naics + ") – " + ChoiceCaption(*i->choice, run_.language),
                                            i->batch.get());
            }
            out_.write(o.errors.data(), static_cast<std::streamsize>(o.errors.size()));
            break;
        }
        totals_.compared += o.compared;
        totals_.refused += o.refused;
        if (bar_) bar_->show(source_->done(), totals_.compared + totals_.refused);
    }

    std::string sheetFull(long line) const {
        const bool fr = run_.language == 1;
        const std::string n = std::to_string(portfolio_->Capacity());
        return fr ? "la feuille du classeur est pleine (" + n + " entreprises au plus) : les entreprises à partir de "
                        "la ligne " + std::to_string(line) + " n'y sont pas ; écrivez un fichier CSV (--out FICHIER.csv) "
                        "ou partagez le fichier"
                  : "the workbook's sheet is full (" + n + " enterprises at most): the enterprises from line " +
                        std::to_string(line) + " on are not in it; write a CSV file (--out FILE.csv) or split the file";
    }

    void finish() {
        out_.flush();
        if (csv_) {
            const bool bad = std::ferror(csv_) != 0;
            const bool closed = std::fclose(csv_) == 0;
            csv_ = nullptr;
            if (bad || !closed) throw std::runtime_error("cannot write the file " + run_.outPath);
        }
        if (portfolio_ && !portfolio_->Close()) throw std::runtime_error(portfolio_->Error());
        if (!out_) throw std::runtime_error("cannot write the output");
    }

public:
    ~Run() {
        if (csv_) std::fclose(csv_);
    }

private:
    const CompareRun& run_;
    std::ostream& out_;
    Industries industries_;
    EnterpriseColumns columns_;
    Columns columns_out_;
    Format format_ = Format::Json;
    std::FILE* csv_ = nullptr;
    std::unique_ptr<Portfolio> portfolio_;
    bool oneIndustry_ = false;
    std::string portfolioTitle_;
    std::set<const Industry*> announced_;
    ProgressBar* bar_ = nullptr;
    RecordSource* source_ = nullptr;

    std::mutex mutex_;
    std::condition_variable queued_, queueSpace_, turn_;
    std::deque<Block> queue_;
    bool closed_ = false, aborted_ = false;
    std::atomic<bool> halted_{false};
    long long nextToWrite_ = 0;
    std::exception_ptr failure_;
    CompareTotals totals_;
};

} // namespace

CompareTotals CompareEnterprises(const CompareRun& run, std::ostream& out) {
    Run r(run, out);
    return r.go();
}

} // namespace zorva::cli
