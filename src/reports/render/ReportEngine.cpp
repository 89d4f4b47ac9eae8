#include "reports/render/ReportEngine.h"

#include "core/Strings.h"
#include "reports/render/ReportModel.h"

#include <ctemplate/per_expand_data.h>
#include <ctemplate/template.h>
#include <ctemplate/template_dictionary.h>
#include <ctemplate/template_emitter.h>
#include <ctemplate/template_modifiers.h>
#include <sqlite3.h>

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>

namespace zorva::report {

namespace fs = std::filesystem;

namespace {

// Markers: U+E000 kind U+E001 (private-use characters, removed from data).
const std::string kOpen = "\uE000";
const std::string kClose = "\uE001";

// Words of the error markers, in the report's language.
const std::string& Word(int id, Lang lang) { return Txt(id, lang == Lang::French ? 1 : 0); }
constexpr int kMissingTable = 1404, kMissingColumn = 1406, kNoRow = 1408, kUnknownName = 1410,
              kNotNumber = 1412, kTemplateError = 1414, kNotAvailable = 1416;

bool IEquals(const std::string& a, const std::string& b) {
    return sqlite3_stricmp(a.c_str(), b.c_str()) == 0;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool IsName(const std::string& s) {
    if (s.empty()) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// ---- number modifiers: x-num=N, x-pct=N, x-signed=N

Lang ModifierLang(const ctemplate::PerExpandData* ped) {
    const void* p = ped ? ped->LookupForModifiers("zorva-lang") : nullptr;
    return (p && *static_cast<const char*>(p) == 'F') ? Lang::French : Lang::English;
}

class NumberModifier : public ctemplate::TemplateModifier {
public:
    enum Style { Plain, Percent, Signed };
    explicit NumberModifier(Style style) : style_(style) {}
    void Modify(const char* in, size_t inlen, const ctemplate::PerExpandData* ped,
                ctemplate::ExpandEmitter* out, const std::string& arg) const override {
        std::string text(in, inlen);
        // Markers (errors, Null) pass through; the post-processing shows them.
        if (text.find(kOpen) != std::string::npos) {
            out->Emit(text);
            return;
        }
        Lang lang = ModifierLang(ped);
        if (Trim(text).empty()) {
            out->Emit(NullMarker());
            return;
        }
        auto value = ParseNumber(text);
        if (!value) {
            out->Emit(ErrorMarker(Word(kNotNumber, lang) + ": " + StripMarkers(text)));
            return;
        }
        int decimals = 0;
        if (arg.size() > 1 && arg[0] == '=') decimals = std::atoi(arg.c_str() + 1);
        switch (style_) {
        case Plain: out->Emit(FormatNumber(*value, decimals, lang)); break;
        case Percent: out->Emit(FormatPercent(*value, decimals, lang)); break;
        case Signed: out->Emit(FormatSigned(*value, decimals, lang)); break;
        }
    }

private:
    Style style_;
};

void RegisterModifiers() {
    static std::once_flag once;
    std::call_once(once, [] {
        static NumberModifier plain(NumberModifier::Plain), pct(NumberModifier::Percent),
            sign(NumberModifier::Signed);
        ctemplate::AddModifier("x-num=", &plain);
        ctemplate::AddModifier("x-pct=", &pct);
        ctemplate::AddModifier("x-signed=", &sign);
    });
}

// Longest declared alias that prefixes a variable name ("CY_NPMQ1" -> CY).
const TableData* TableOfVariable(const std::vector<TableData>& tables, const std::string& var, std::string* column) {
    const TableData* best = nullptr;
    for (const auto& t : tables) {
        const std::string prefix = t.alias + "_";
        if (var.size() > prefix.size() && var.compare(0, prefix.size(), prefix) == 0 &&
            (!best || t.alias.size() > best->alias.size()))
            best = &t;
    }
    if (best) *column = var.substr(best->alias.size() + 1);
    return best;
}

// Finds a file, matching its name without regard to letter case when it is
// not there as spelled ("MyData.mdb" for "myData.mdb").
std::string FindFileIgnoringCase(const std::string& path) {
    std::error_code ec;
    if (fs::exists(path, ec)) return path;
    fs::path p(path);
    fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        if (IEquals(e.path().filename().string(), p.filename().string())) return e.path().string();
    }
    return path;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (IEquals(a, b)) return true;
    std::error_code ec;
    return fs::equivalent(FindFileIgnoringCase(a), FindFileIgnoringCase(b), ec);
}

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string HtmlUnescape(std::string s) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&#x27;", "'"}, {"&amp;", "&"}};
    for (auto [from, to] : entities) {
        size_t p = 0;
        while ((p = s.find(from, p)) != std::string::npos) {
            s.replace(p, std::strlen(from), to);
            p += std::strlen(to);
        }
    }
    return s;
}

} // namespace

// ---------------------------------------------------------------- markers

std::string StripMarkers(std::string s) {
    for (const std::string* m : {&kOpen, &kClose}) {
        size_t p;
        while ((p = s.find(*m)) != std::string::npos) s.erase(p, m->size());
    }
    return s;
}

std::string PlainText(const std::string& marked) {
    std::string out;
    size_t pos = 0;
    while (true) {
        const size_t b = marked.find(kOpen, pos);
        const size_t e = b == std::string::npos ? b : marked.find(kClose, b);
        if (e == std::string::npos) return out + StripMarkers(marked.substr(pos));
        out.append(marked, pos, b - pos);
        const std::string inner = marked.substr(b + kOpen.size(), e - b - kOpen.size());
        if (inner == "null") out += "–";
        else if (!inner.empty() && inner[0] == '!') out += "[" + inner.substr(1) + "]";
        pos = e + kClose.size();
    }
}

std::string ErrorMarker(const std::string& message) { return kOpen + "!" + StripMarkers(message) + kClose; }
std::string NullMarker() { return kOpen + "null" + kClose; }

std::string Base64(const std::string& bytes) {
    static const char* tbl = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 | (unsigned char)bytes[i + 2];
        out += tbl[v >> 18 & 63];
        out += tbl[v >> 12 & 63];
        out += tbl[v >> 6 & 63];
        out += tbl[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = (unsigned char)bytes[i] << 16;
        if (i + 1 < bytes.size()) v |= (unsigned char)bytes[i + 1] << 8;
        out += tbl[v >> 18 & 63];
        out += tbl[v >> 12 & 63];
        out += i + 1 < bytes.size() ? tbl[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string ImageUrl(size_t index) { return "zorva-image:" + std::to_string(index); }

std::string HtmlWithEmbeddedImages(const Rendered& rendered) {
    std::string html = rendered.html;
    for (size_t i = rendered.images.size(); i-- > 0;) {
        const std::string url = "\"" + ImageUrl(i) + "\"";
        QByteArray bytes;
        if (rendered.images[i].image) {
            QBuffer buf(&bytes);
            buf.open(QIODevice::WriteOnly);
            rendered.images[i].image->save(&buf, "PNG");
        }
        const std::string data =
            "\"data:image/png;base64," + Base64(std::string(bytes.constData(), static_cast<size_t>(bytes.size()))) + "\"";
        for (size_t p = 0; (p = html.find(url, p)) != std::string::npos; p += data.size()) html.replace(p, url.size(), data);
    }
    return html;
}

// ---------------------------------------------------------------- tables

int TableData::FieldIndex(const std::string& column) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (IEquals(fields[i], column)) return static_cast<int>(i);
    return -1;
}

const TableData* ReportData::Find(const std::string& tableName) const {
    for (const auto& t : tables)
        if (IEquals(t.name, tableName)) return &t;
    return nullptr;
}

std::string ReportData::Text(const std::string& tableName, const std::string& column, size_t row) const {
    const TableData* t = Find(tableName);
    if (!t || !t->error.empty()) return ErrorMarker(Word(kMissingTable, lang) + ": " + tableName);
    int idx = t->FieldIndex(column);
    if (idx < 0) return ErrorMarker(Word(kMissingColumn, lang) + ": " + tableName + "." + column);
    if (row >= t->rows.size()) return ErrorMarker(Word(kNoRow, lang) + ": " + tableName);
    const Variant& v = t->rows[row][static_cast<size_t>(idx)];
    if (v.isNull()) return NullMarker();
    return StripMarkers(v.toString());
}

std::optional<double> ReportData::Number(const std::string& tableName, const std::string& column, std::string* why,
                                         size_t row) const {
    std::string text = Text(tableName, column, row);
    if (text.find(kOpen) != std::string::npos) {
        if (why) *why = text;
        return std::nullopt;
    }
    auto v = ParseNumber(text);
    if (!v && why) *why = ErrorMarker(Word(kNotNumber, lang) + ": " + tableName + "." + column);
    return v;
}

Value ReportData::AddImage(ReportImage image) {
    images_.push_back(std::move(image));
    Value v = Value::Marked(kOpen + "img:" + std::to_string(images_.size() - 1) + kClose);
    v.image = static_cast<int>(images_.size() - 1);
    return v;
}

// ---------------------------------------------------------------- expansion

namespace {

// The model's tree as ctemplate's dictionary.
void FillDictionary(const Section& section, ctemplate::TemplateDictionary* dict) {
    for (const auto& [name, value] : section.Values()) dict->SetValue(name, value.text);
    for (const auto& [name, child] : section.Sections()) FillDictionary(*child, dict->AddSectionDictionary(name));
}

// Every name of values and sections the tree holds.
void CollectNames(const Section& section, std::set<std::string>& names) {
    for (const auto& [name, value] : section.Values()) names.insert(name);
    for (const auto& [name, child] : section.Sections()) {
        names.insert(name);
        CollectNames(*child, names);
    }
}

// The expanded template with its markers replaced: a Null by "–", an error by
// its visible message, a picture by its <img> (for the reading view followed
// by its sentence, when it has one).
std::string ReplaceMarkers(const std::string& out, const std::vector<ReportImage>& images, bool reading) {
    std::string html;
    html.reserve(out.size() + 1024);
    size_t pos = 0;
    while (true) {
        size_t b = out.find(kOpen, pos);
        if (b == std::string::npos) {
            html.append(out, pos, std::string::npos);
            break;
        }
        size_t e = out.find(kClose, b);
        if (e == std::string::npos) {
            html.append(out, pos, std::string::npos);
            break;
        }
        html.append(out, pos, b - pos);
        std::string inner = out.substr(b + kOpen.size(), e - b - kOpen.size());
        pos = e + kClose.size();
        if (inner == "null") {
            html += "–";
        } else if (inner.rfind("img:", 0) == 0) {
            size_t n = static_cast<size_t>(std::atoi(inner.c_str() + 4));
            if (n < images.size()) {
                const ReportImage& img = images[n];
                html += "<img src=\"" + ImageUrl(n) + "\" width=\"" + std::to_string(img.width) + "\" height=\"" +
                        std::to_string(img.height) + "\" alt=\"" + HtmlEscape(img.alt) + "\" />";
                // Below it, in a box about as wide as the chart, so that the
                // sentence wraps there instead of widening its column; its
                // text may wrap even in a cell that keeps its text on one line.
                if (reading && !img.alt.empty())
                    html += "<table width=\"" + std::to_string(img.width) +
                            "\" cellspacing=\"0\" cellpadding=\"0\"><tr><td style=\"white-space: normal;\">" +
                            HtmlEscape(img.alt) + "</td></tr></table>";
            }
        } else if (!inner.empty() && inner[0] == '!') {
            // The message was escaped with the value, or not when it came
            // from an unescaped place: escape what is not escaped yet.
            std::string msg = HtmlEscape(HtmlUnescape(inner.substr(1)));
            html += "<span style=\"color:#B00020; background-color:#FFECEC; font-weight:bold;\">[" + msg + "]</span>";
        }
    }
    return html;
}

} // namespace

// ---------------------------------------------------------------- template

TemplateNames ScanTemplateNames(const std::string& text) {
    TemplateNames names;
    size_t pos = 0;
    while ((pos = text.find("{{", pos)) != std::string::npos) {
        size_t end = text.find("}}", pos + 2);
        if (end == std::string::npos) break;
        std::string inner = Trim(text.substr(pos + 2, end - pos - 2));
        pos = end + 2;
        if (inner.empty()) continue;
        char kind = inner[0];
        if (kind == '!' || kind == '%' || kind == '=' || kind == '>') continue;
        if (kind == '#' || kind == '/') {
            std::string n = Trim(inner.substr(1));
            if (kind == '#' && IsName(n)) names.sections.insert(n);
            continue;
        }
        std::string n = inner.substr(0, inner.find(':'));
        n = Trim(n);
        if (IsName(n) && n.rfind("BI_", 0) != 0) names.variables.insert(n);
    }
    return names;
}

std::unique_ptr<Report> Report::Open(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ReportError("The report template cannot be opened: " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return FromText(ss.str(), path);
}

std::unique_ptr<Report> Report::FromText(const std::string& text, const std::string& name) {
    std::unique_ptr<Report> r(new Report());
    r->name_ = name;
    r->text_ = text;
    r->ParseHeader();
    return r;
}

void Report::ParseHeader() {
    // Declarations are lines of the template's comments that begin with a keyword.
    size_t pos = 0;
    std::set<std::string> aliases;
    while ((pos = text_.find("{{!", pos)) != std::string::npos) {
        size_t end = text_.find("}}", pos);
        if (end == std::string::npos) break;
        std::istringstream lines(text_.substr(pos + 3, end - pos - 3));
        pos = end + 2;
        std::string line;
        while (std::getline(lines, line)) {
            line = Trim(line);
            std::istringstream words(line);
            std::string keyword;
            words >> keyword;
            std::string rest = Trim(line.substr(std::min(line.size(), keyword.size())));
            if (keyword == "REPORT") {
                kind_ = rest;
            } else if (keyword == "LANGUAGE") {
                languageField_ = rest;
            } else if (keyword == "TABLE" || keyword == "TEXT") {
                size_t eq = rest.find('=');
                std::string key = eq == std::string::npos ? std::string() : Trim(rest.substr(0, eq));
                std::string value = eq == std::string::npos ? std::string() : Trim(rest.substr(eq + 1));
                if (!IsName(key)) {
                    headerErrors_.push_back(keyword + " " + rest);
                    continue;
                }
                if (keyword == "TABLE") {
                    if (!IsName(value) || !aliases.insert(key).second) {
                        headerErrors_.push_back(keyword + " " + rest);
                        continue;
                    }
                    tables_.emplace_back(value, key);
                } else {
                    size_t bar = value.find('|');
                    TextPair p;
                    p.english = Trim(value.substr(0, bar));
                    p.french = bar == std::string::npos ? p.english : Trim(value.substr(bar + 1));
                    texts_[key] = p;
                }
            }
        }
    }
}

DatabaseTable& Report::Table(int index) {
    if (index < 1 || index > TableCount())
        throw ReportError("Invalid table index " + std::to_string(index) + " in " + name_);
    return tables_[static_cast<size_t>(index - 1)];
}

Rendered Report::Render(const ConnectionHandle& open, const RenderOptions& options) const {
    RegisterModifiers();
    ReportData data;
    data.illustrative = options.illustrative;
    data.comparisonValues = options.comparisonValues;
    data.savedYears = options.savedYears;

    // Read the tables: one connection per location, the caller's where it fits.
    std::map<std::string, ConnectionHandle> connections;
    for (const auto& t : tables_) {
        TableData td;
        td.name = t.Name();
        td.alias = t.Alias();
        td.location = t.Location();
        try {
            ConnectionHandle cn;
            if (open && !td.location.empty() && SameFile(td.location, open->source())) {
                cn = open;
            } else if (td.location.empty()) {
                throw DbError("no location");
            } else if (auto it = connections.find(td.location); it != connections.end()) {
                cn = it->second;
            } else {
                std::string file = FindFileIgnoringCase(td.location);
                std::string ext = file.size() >= 3 ? file.substr(file.size() - 3) : file;
                if (!IEquals(ext, "mdb")) throw DbError("not a database file: " + file);
                ConnectToFile(cn, file, fs::path(file).parent_path().string());
                connections[td.location] = cn;
            }
            auto rs = GetRS(cn, "select * from " + td.name, "read");
            td.fields = rs->FieldNames();
            td.rows = rs->Rows();
        } catch (const std::exception& e) {
            td.error = e.what();
        }
        data.tables.push_back(std::move(td));
    }

    // The report's language: the declared field of the first row.
    if (!languageField_.empty()) {
        std::string column;
        if (const TableData* t = TableOfVariable(data.tables, languageField_, &column)) {
            int idx = t->FieldIndex(column);
            if (idx >= 0 && !t->rows.empty()) data.lang = LangOf(t->rows[0][static_cast<size_t>(idx)].toString());
        }
    }
    const Lang lang = data.lang;

    for (const auto& h : headerErrors_) data.errors.push_back(Word(kTemplateError, lang) + ": " + h);
    for (const auto& t : data.tables) {
        if (!t.error.empty()) data.errors.push_back(Word(kMissingTable, lang) + ": " + t.name + " (" + t.error + ")");
        else if (t.rows.empty()) data.errors.push_back(Word(kNoRow, lang) + ": " + t.name);
    }

    auto model = std::make_shared<ReportModel>();
    model->lang = lang;
    Section& top = model->values;
    const TemplateNames used = ScanTemplateNames(text_);

    // Fields of the tables, under the names the template spells them.
    for (const auto& var : used.variables) {
        std::string column;
        const TableData* t = TableOfVariable(data.tables, var, &column);
        if (!t) continue;
        top.SetMarked(var, data.Text(t->name, column));
        if (t->error.empty() && t->FieldIndex(column) < 0)
            data.errors.push_back(Word(kMissingColumn, lang) + ": " + t->name + "." + column);
    }
    for (const auto& t : data.tables) {
        const std::string section = t.alias + "_ROWS";
        if (!used.sections.count(section)) continue;
        for (size_t r = 0; r < t.rows.size(); ++r) {
            Section& row = top.Add(section);
            for (const auto& var : used.variables) {
                std::string column;
                if (TableOfVariable(data.tables, var, &column) == &t) row.SetMarked(var, data.Text(t.name, column, r));
            }
        }
    }
    for (const auto& [key, pair] : texts_) top.SetText(key, lang == Lang::French ? pair.french : pair.english);
    top.Show(lang == Lang::French ? "LANG_F" : "LANG_E");
    top.SetText("HTML_LANG", lang == Lang::French ? "fr" : "en");
    top.SetText("ILLUSTRATIVE_NOTICE", Txt(914, lang == Lang::French ? 1 : 0));
    if (data.illustrative) top.Show("ILLUSTRATIVE");
    top.SetText("NOT_AVAILABLE", Word(kNotAvailable, lang));

    if (!kind_.empty()) FillBuiltIn(kind_, data, *model);

    // Names that nothing filled: visible errors.
    std::set<std::string> filled;
    CollectNames(top, filled);
    for (const auto& var : used.variables) {
        if (filled.count(var) || var == "ERROR") continue;
        top.SetMarked(var, ErrorMarker(Word(kUnknownName, lang) + ": " + var));
        data.errors.push_back(Word(kUnknownName, lang) + ": " + var);
    }
    // Each problem once, in the order found; the blocks hold them after the title.
    std::vector<std::string> errors;
    for (const auto& e : data.errors)
        if (std::find(errors.begin(), errors.end(), e) == errors.end()) errors.push_back(e);
    auto afterTitle = model->blocks.begin();
    if (afterTitle != model->blocks.end() && afterTitle->kind == Block::Kind::Heading) ++afterTitle;
    for (const auto& e : errors) {
        top.Add("ERRORS").SetText("ERROR", e);
        Block line;
        line.cells.push_back(Value::Text(e));
        afterTitle = model->blocks.insert(afterTitle, std::move(line)) + 1;
    }

    // Expand. Values are always HTML-escaped.
    std::string body = text_;
    if (body.find("{{%AUTOESCAPE") == std::string::npos) body = "{{%AUTOESCAPE context=\"HTML\"}}" + body;
    Rendered result;
    result.lang = lang;
    result.errors = errors;
    std::unique_ptr<ctemplate::Template> tpl(ctemplate::Template::StringToTemplate(body, ctemplate::DO_NOT_STRIP));
    std::string out;
    if (!tpl) {
        std::string msg = Word(kTemplateError, lang) + ": " + name_;
        result.errors.push_back(msg);
        out = "<html><body><p>" + ErrorMarker(msg) + "</p></body></html>";
        Block line;
        line.cells.push_back(Value::Text(msg));
        model->blocks.push_front(std::move(line));
    } else {
        ctemplate::TemplateDictionary root("report");
        FillDictionary(top, &root);
        ctemplate::PerExpandData ped;
        static const char kFrench[] = "F", kEnglish[] = "E";
        ped.InsertForModifiers("zorva-lang", lang == Lang::French ? kFrench : kEnglish);
        tpl->ExpandWithData(&out, &root, &ped);
    }

    result.html = ReplaceMarkers(out, data.Images(), false);
    result.readingHtml = ReplaceMarkers(out, data.Images(), true);
    result.images = data.Images();

    std::smatch m;
    static const std::regex titleRe("<title>([^<]*)</title>", std::regex::icase);
    if (std::regex_search(result.html, m, titleRe)) result.title = Trim(HtmlUnescape(m[1].str()));
    result.model = std::move(model);
    return result;
}

} // namespace zorva::report
