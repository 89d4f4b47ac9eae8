#include "enterprise/BoundedRead.h"

#include "core/Strings.h"

#include <QFileInfo>

#include <unzip.h>
#include <zlib.h>

#include <algorithm>

namespace zorva {

namespace {

std::string withDetail(int id, const std::string& detail, int language) {
    std::string text = Txt(id, language);
    const auto at = text.find("{D}");
    if (at != std::string::npos) text.replace(at, 3, detail);
    return text;
}

} // namespace

ReadError::ReadError(int id, std::string detail)
    : std::runtime_error(withDetail(id, detail, 0)), id_(id), detail_(std::move(detail)) {}

std::string ReadError::Message(int language) const { return withDetail(id_, detail_, language); }

ReadError CannotOpen(const std::string& path, const std::string& systemReason) {
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists()) return ReadError(readmsg::kNoSuchFile);
    if (!info.isReadable()) return ReadError(readmsg::kNotAllowed);
    return ReadError(readmsg::kCannotOpen, systemReason);
}

const ReadLimits& SheetLimits() {
    static const ReadLimits limits;
    return limits;
}

const ReadLimits& BookLimits() {
    static const ReadLimits limits = [] {
        ReadLimits l;
        l.maxInflated = 512ll << 20;
        l.ratioCheckAfter = 16ll << 20;
        l.maxRows = 2000000;
        return l;
    }();
    return limits;
}

// ---------------------------------------------------------------- streams

qint64 InflatingDevice::readData(char* data, qint64 max) {
    if (error_) return -1;
    const qint64 n = pull(data, max);
    if (n < 0) {
        error_ = std::make_unique<ReadError>(readmsg::kDamagedPart, name_);
        return -1;
    }
    inflated_ += n;
    if (inflated_ > limits_.maxInflated) {
        error_ = std::make_unique<ReadError>(readmsg::kTooLarge, name_);
        return -1;
    }
    if (inflated_ > limits_.ratioCheckAfter &&
        static_cast<double>(inflated_) > limits_.maxRatio * static_cast<double>(std::max<std::int64_t>(consumed(), 1))) {
        error_ = std::make_unique<ReadError>(readmsg::kInflatesTooMuch, name_);
        return -1;
    }
    return n;
}

GzipDevice::GzipDevice(const std::string& path, const ReadLimits& limits) : InflatingDevice(path, limits) {
    gz_ = gzopen(path.c_str(), "rb");
    if (!gz_) throw CannotOpen(path, path);
    gzbuffer(static_cast<gzFile>(gz_), 1 << 16);
    open(QIODevice::ReadOnly);
}

GzipDevice::~GzipDevice() {
    if (gz_) gzclose(static_cast<gzFile>(gz_));
}

qint64 GzipDevice::pull(char* data, qint64 max) {
    const int n = gzread(static_cast<gzFile>(gz_), data, static_cast<unsigned>(std::min<qint64>(max, 1 << 20)));
    if (n < 0) return -1;
    if (n == 0) {
        int err = Z_OK;
        gzerror(static_cast<gzFile>(gz_), &err);
        if (err != Z_OK && err != Z_BUF_ERROR) return -1;
        // A stream cut short reads as its end; the XML reader then finds the
        // document unfinished.
    }
    return n;
}

std::int64_t GzipDevice::consumed() const { return gzoffset(static_cast<gzFile>(gz_)); }

namespace {

class ZipPartDevice : public InflatingDevice {
public:
    ZipPartDevice(unzFile zip, const std::string& part, std::int64_t compressed, const ReadLimits& limits)
        : InflatingDevice(part, limits), zip_(zip), compressed_(compressed) {
        if (unzOpenCurrentFile(zip_) != UNZ_OK) throw ReadError(readmsg::kDamagedPart, part);
        open(QIODevice::ReadOnly);
    }
    ~ZipPartDevice() override { unzCloseCurrentFile(zip_); }

protected:
    qint64 pull(char* data, qint64 max) override {
        const int n = unzReadCurrentFile(zip_, data, static_cast<unsigned>(std::min<qint64>(max, 1 << 20)));
        if (n > 0) read_ += n;
        return n < 0 ? -1 : n;
    }
    // minizip does not say how much it has consumed: the part's compressed
    // size as the archive gives it, which is at most the file's size.
    std::int64_t consumed() const override { return compressed_; }

private:
    unzFile zip_;
    std::int64_t compressed_;
    std::int64_t read_ = 0;
};

} // namespace

ZipArchive::ZipArchive(const std::string& path, const ReadLimits& limits) : limits_(limits) {
    zip_ = unzOpen64(path.c_str());
    if (!zip_) throw ReadError(readmsg::kNotWorkbook);
}

ZipArchive::~ZipArchive() {
    if (zip_) unzClose(static_cast<unzFile>(zip_));
}

bool ZipArchive::Has(const std::string& part) {
    return unzLocateFile(static_cast<unzFile>(zip_), part.c_str(), 0) == UNZ_OK;
}

std::unique_ptr<InflatingDevice> ZipArchive::Open(const std::string& part) {
    auto zip = static_cast<unzFile>(zip_);
    if (unzLocateFile(zip, part.c_str(), 0) != UNZ_OK) throw ReadError(readmsg::kMissingPart, part);
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        throw ReadError(readmsg::kDamagedPart, part);
    if (static_cast<std::int64_t>(info.uncompressed_size) > limits_.maxInflated)
        throw ReadError(readmsg::kTooLarge, part);
    return std::make_unique<ZipPartDevice>(zip, part, static_cast<std::int64_t>(info.compressed_size), limits_);
}

// ---------------------------------------------------------------- XML

void SafeXml::fail() {
    if (auto* d = dynamic_cast<InflatingDevice*>(device_); d && d->limitError()) throw *d->limitError();
    // The parser's own reason is English only: the place says where instead.
    if (x_.error() == QXmlStreamReader::PrematureEndOfDocumentError) throw ReadError(readmsg::kTruncatedXml, part_);
    throw ReadError(readmsg::kBadXml,
                    part_ + ":" + std::to_string(x_.lineNumber()) + ":" + std::to_string(x_.columnNumber()));
}

QXmlStreamReader::TokenType SafeXml::Next() {
    const auto t = x_.readNext();
    if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference) throw ReadError(readmsg::kDocumentType, part_);
    if (t == QXmlStreamReader::Invalid) fail();
    return t;
}

QString SafeXml::ElementText(int maxChars) {
    QString text;
    int depth = 1;
    while (depth > 0) {
        switch (Next()) {
        case QXmlStreamReader::StartElement: ++depth; break;
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters:
            text += x_.text();
            if (text.size() > maxChars) throw ReadError(readmsg::kCellTooLong, part_);
            break;
        case QXmlStreamReader::EndDocument: fail();
        default: break;
        }
    }
    return text;
}

void SafeXml::Skip() {
    int depth = 1;
    while (depth > 0) {
        const auto t = Next();
        if (t == QXmlStreamReader::StartElement) ++depth;
        else if (t == QXmlStreamReader::EndElement) --depth;
        else if (t == QXmlStreamReader::EndDocument) fail();
    }
}

void SafeXml::Finish() {
    if (x_.hasError()) fail();
    if (auto* d = dynamic_cast<InflatingDevice*>(device_); d && d->limitError()) throw *d->limitError();
}

} // namespace zorva
