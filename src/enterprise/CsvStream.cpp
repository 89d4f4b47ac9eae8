#include "enterprise/CsvStream.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>

namespace zorva {

// ---------------------------------------------------------------- CSV

CsvStream::CsvStream(Source source) : source_(std::move(source)), buffer_(1 << 20) {}

bool CsvStream::fill() {
    if (atEnd_) return false;
    pos_ = 0;
    end_ = source_(buffer_.data(), buffer_.size());
    bytesRead_ += end_;
    if (end_ == 0) atEnd_ = true;
    if (!started_ && end_ > 0) {
        started_ = true;
        if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) pos_ = 3;  // byte order mark
    }
    return pos_ < end_ || (!atEnd_ && fill());
}

bool CsvStream::Next(CsvRecord& record) {
    // States of the field being read.
    enum State { FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterQuote };
    for (;;) {
        record.error.clear();
        record.line = line_;
        size_t fields = 0, bytes = 0;
        State state = FieldStart;
        bool endOfRecord = false, endOfText = false;
        auto field = [&]() -> std::string& {
            if (fields == record.fields.size()) record.fields.emplace_back();
            return record.fields[fields];
        };
        field().clear();
        auto append = [&](const char* p, size_t n) {
            bytes += n;
            if (bytes > kMaxRecordBytes) {
                if (record.error.empty())
                    record.error = "the record on line " + std::to_string(record.line) +
                                   " runs on for more than a mebibyte: a quote is probably missing";
                return;
            }
            field().append(p, n);
        };
        auto nextField = [&] {
            ++fields;
            field().clear();
            state = FieldStart;
        };
        while (!endOfRecord) {
            if (pos_ == end_ && !fill()) {
                endOfText = true;
                break;
            }
            const char* b = buffer_.data();
            const char ch = b[pos_];
            switch (state) {
            case QuoteInQuoted:
                if (ch == '"') {  // a doubled quote stands for one
                    append("\"", 1);
                    ++pos_;
                    state = Quoted;
                    continue;
                }
                state = AfterQuote;
                continue;  // the same byte, read after the closing quote
            case Quoted: {
                const char* from = b + pos_;
                const char* quote = static_cast<const char*>(std::memchr(from, '"', end_ - pos_));
                const char* to = quote ? quote : b + end_;
                line_ += std::count(from, to, '\n');
                append(from, static_cast<size_t>(to - from));
                pos_ = static_cast<size_t>(to - b);
                if (quote) {
                    ++pos_;
                    state = QuoteInQuoted;
                }
                continue;
            }
            default: break;
            }
            if (ch == ',') {
                ++pos_;
                nextField();
            } else if (ch == '\n' || ch == '\r') {
                ++pos_;
                ++line_;
                endOfRecord = true;
                if (ch == '\r') {  // CR LF is one end of line
                    if (pos_ == end_) fill();
                    if (pos_ < end_ && buffer_[pos_] == '\n') ++pos_;
                }
            } else if (state == FieldStart && ch == '"') {
                ++pos_;
                state = Quoted;
            } else {
                if (state == AfterQuote && record.error.empty())
                    record.error = "text after a closing quote on line " + std::to_string(line_);
                // An unquoted run up to the next separator or end of line.
                size_t to = pos_ + 1;
                while (to < end_ && b[to] != ',' && b[to] != '\n' && b[to] != '\r') ++to;
                append(b + pos_, to - pos_);
                pos_ = to;
                state = Unquoted;
            }
        }
        if (endOfText) {
            if (state == Quoted && record.error.empty())
                record.error = "a quoted field is not closed (line " + std::to_string(record.line) + ")";
            if (fields == 0 && state == FieldStart) return false;  // nothing after the last end of line
        }
        record.fields.resize(fields + 1);
        // A line with nothing on it is no record.
        if (fields == 0 && record.fields[0].empty() && state != QuoteInQuoted && state != AfterQuote &&
            record.error.empty())
            continue;
        return true;
    }
}

// ---------------------------------------------------------------- UTF-8

namespace {
// Length of the UTF-8 sequence a lead byte opens (1 for ASCII; a stray
// continuation byte counts as 1 and is refused by the check).
size_t sequenceLength(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1; }
} // namespace

bool Utf8Checker::Add(const char* data, size_t size) {
    if (!error_.empty()) return false;
    if (!carry_.empty()) {  // complete the sequence the last block cut
        const size_t length = sequenceLength(static_cast<unsigned char>(carry_[0]));
        const size_t take = std::min(length - carry_.size(), size);
        carry_.append(data, take);
        data += take;
        size -= take;
        if (carry_.size() < length) return true;
        std::string sequence;
        sequence.swap(carry_);
        if (!check(sequence.data(), sequence.size())) return false;
    }
    // Hold back a sequence that this block cuts.
    size_t cut = size;
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto c = static_cast<unsigned char>(data[size - back]);
        if ((c & 0xC0) == 0x80) continue;
        if (sequenceLength(c) > back) cut = size - back;
        break;
    }
    carry_.assign(data + cut, size - cut);
    return check(data, cut);
}

bool Utf8Checker::check(const char* data, size_t size) {
    const char* nul = static_cast<const char*>(std::memchr(data, 0, size));
    const bool valid = QByteArrayView(data, static_cast<qsizetype>(size)).isValidUtf8();
    if (valid && !nul) {
        line_ += std::count(data, data + size, '\n');
        return true;
    }
    // Find the line of the first fault.
    for (size_t start = 0; start < size; ++line_) {
        const char* eol = static_cast<const char*>(std::memchr(data + start, '\n', size - start));
        const size_t end = eol ? static_cast<size_t>(eol - data) : size;
        const QByteArrayView part(data + start, static_cast<qsizetype>(end - start));
        if (part.contains('\0')) {
            error_ = "line " + std::to_string(line_) + " holds binary data (a NUL byte): this is not a CSV text";
            return false;
        }
        if (!part.isValidUtf8()) {
            error_ = "line " + std::to_string(line_) + " is not UTF-8 text; save the file with the UTF-8 encoding";
            return false;
        }
        start = end + 1;
    }
    error_ = "the file is not UTF-8 text; save it with the UTF-8 encoding";
    return false;
}

bool Utf8Checker::Finish() {
    if (!error_.empty()) return false;
    if (carry_.empty()) return true;
    error_ = "line " + std::to_string(line_) + " is not UTF-8 text; save the file with the UTF-8 encoding";
    return false;
}

} // namespace zorva
