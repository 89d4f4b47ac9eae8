#pragma once
// Reading files that come from elsewhere (statements, trial balances, books)
// without trusting them: every compressed part is inflated as a stream with a
// ceiling on its inflated size and on its inflation ratio, so a few hundred
// kilobytes that would inflate to hundreds of megabytes are refused after a
// few megabytes, in a fraction of a second and without a large allocation;
// every XML document is read as a stream that refuses a document type
// declaration (no entity of any kind is declared, expanded or fetched).
//
// What a reader refuses it says with a ReadError: a string id of the table
// (English at the id, French at id + 1) whose "{D}" is replaced by a detail
// (a line, a cell, a part of a workbook), so the message reaches the user in
// the language in force; what() is the English text.
//
// Relies on zlib (gzip files), minizip (zip archives) and QXmlStreamReader.

#include <QIODevice>
#include <QXmlStreamReader>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace zorva {

class ReadError : public std::runtime_error {
public:
    explicit ReadError(int id, std::string detail = {});
    int id() const { return id_; }
    const std::string& detail() const { return detail_; }
    // The message in a language (0 English, 1 French).
    std::string Message(int language) const;

private:
    int id_;
    std::string detail_;
};

// Message ids of ReadError (English; French at id + 1).
namespace readmsg {
inline constexpr int kCannotOpen = 2800;        // {D}: the operating system's reason
inline constexpr int kEmpty = 2802;
inline constexpr int kNothing = 2804;
inline constexpr int kTooLarge = 2806;           // {D}: the part or file
inline constexpr int kInflatesTooMuch = 2808;    // {D}: the part or file
inline constexpr int kTooManyRows = 2810;
inline constexpr int kRowTooWide = 2812;         // {D}: the row
inline constexpr int kCellTooLong = 2814;        // {D}: the cell
inline constexpr int kNotWorkbook = 2816;
inline constexpr int kMissingPart = 2818;        // {D}: the part
inline constexpr int kDamagedPart = 2820;        // {D}: the part
inline constexpr int kBadXml = 2822;             // {D}: the part, its line and column
inline constexpr int kDocumentType = 2824;       // {D}: the part
inline constexpr int kQuoteNotClosed = 2826;     // {D}: the line
inline constexpr int kTextAfterQuote = 2828;     // {D}: the line
inline constexpr int kNotUtf8 = 2830;            // {D}: the line
inline constexpr int kBadSharedText = 2832;      // {D}: the cell
inline constexpr int kNotBook = 2834;
inline constexpr int kBookDamaged = 2836;        // {D}: SQLite's reason
inline constexpr int kBookNoAccounts = 2838;
inline constexpr int kBookTooSlow = 2840;
inline constexpr int kNoSheet = 2842;
inline constexpr int kAmountOutOfRange = 2844;  // {D}: the cell
inline constexpr int kNoSuchFile = 2846;
inline constexpr int kNotAllowed = 2848;
inline constexpr int kTruncatedXml = 3304;      // {D}: the part
} // namespace readmsg

// Why a file cannot be opened: that it does not exist or may not be read in
// the user's language, any other reason as the system gives it.
ReadError CannotOpen(const std::string& path, const std::string& systemReason);

// Ceilings of what is read from one file.
struct ReadLimits {
    std::int64_t maxInflated = 64ll << 20;     // bytes of one inflated part
    std::int64_t ratioCheckAfter = 4ll << 20;  // inflated bytes before the ratio is judged
    double maxRatio = 100;                     // inflated / compressed
    long maxRows = 100000;
    int maxColumns = 1024;
    int maxCellChars = 32767;
    std::int64_t maxPlainFile = 32ll << 20;    // a file read whole (CSV)
};
// The limits for statements and trial balances, and for books (a book of
// many years is larger and inflates further than a spreadsheet part).
const ReadLimits& SheetLimits();
const ReadLimits& BookLimits();

// A compressed stream (one part of a zip archive, or a gzip file) read
// through QIODevice with the limits above. When a limit is passed the device
// stops (readData returns -1) and limitError() says which.
class InflatingDevice : public QIODevice {
public:
    bool isSequential() const override { return true; }
    // Set when a limit stopped the stream or the compressed data is damaged.
    const ReadError* limitError() const { return error_.get(); }
    std::int64_t inflated() const { return inflated_; }

protected:
    InflatingDevice(std::string name, const ReadLimits& limits) : name_(std::move(name)), limits_(limits) {}
    // Inflates up to max bytes; 0 at the end, -1 on damage.
    virtual qint64 pull(char* data, qint64 max) = 0;
    // Compressed bytes consumed so far (for the ratio).
    virtual std::int64_t consumed() const = 0;
    qint64 readData(char* data, qint64 max) override;
    qint64 writeData(const char*, qint64) override { return -1; }
    std::string name_;
    ReadLimits limits_;

private:
    std::int64_t inflated_ = 0;
    std::unique_ptr<ReadError> error_;
};

// A gzip file (a file that is not gzip-compressed is read as it is).
class GzipDevice : public InflatingDevice {
public:
    GzipDevice(const std::string& path, const ReadLimits& limits);
    ~GzipDevice() override;

protected:
    qint64 pull(char* data, qint64 max) override;
    std::int64_t consumed() const override;

private:
    void* gz_ = nullptr;
};

// The parts of a zip archive (an XLSX workbook).
class ZipArchive {
public:
    // Throws ReadError(kNotWorkbook) when the file is no zip archive.
    ZipArchive(const std::string& path, const ReadLimits& limits);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    bool Has(const std::string& part);
    // A part as a stream; throws ReadError(kMissingPart) when absent and
    // ReadError(kTooLarge) when the archive says it inflates past the limit.
    std::unique_ptr<InflatingDevice> Open(const std::string& part);

private:
    void* zip_ = nullptr;
    ReadLimits limits_;
};

// An XML document read as a stream: a document type declaration is refused,
// and a stream stopped by its limits or not well-formed is reported as a
// ReadError naming the part.
class SafeXml {
public:
    SafeXml(QIODevice* device, std::string part) : device_(device), x_(device), part_(std::move(part)) {}
    // The next token; throws on a document type, a limit or bad XML.
    QXmlStreamReader::TokenType Next();
    bool AtEnd() const { return x_.atEnd(); }
    QXmlStreamReader& reader() { return x_; }
    // The text of the current element and of the elements inside it (its end
    // read); ReadError(kCellTooLong) past maxChars.
    QString ElementText(int maxChars);
    void Skip();  // the current element with everything inside it
    // Throws when the document ended badly; call when done.
    void Finish();
    const std::string& part() const { return part_; }

private:
    [[noreturn]] void fail();
    QIODevice* device_;
    QXmlStreamReader x_;
    std::string part_;
};

} // namespace zorva
