#include "reports/render/ReportModel.h"

#include "reports/render/ReportEngine.h"

#include <algorithm>

namespace zorva::report {

// ---------------------------------------------------------------- values

Value Value::Text(const std::string& text) {
    Value v;
    v.text = StripMarkers(text);
    return v;
}

Value Value::Marked(const std::string& text) {
    Value v;
    v.text = text;
    return v;
}

Value Value::Number(double value, int decimals, NumberKind kind, Lang lang) {
    Value v;
    v.decimals = std::clamp(decimals, 0, 10);
    v.kind = kind;
    switch (kind) {
    case NumberKind::Percent: v.text = FormatPercent(value, v.decimals, lang); break;
    case NumberKind::Signed: v.text = FormatSigned(value, v.decimals, lang); break;
    case NumberKind::Plain: v.text = FormatNumber(value, v.decimals, lang); break;
    }
    v.number = ShownValue(value, v.decimals);
    return v;
}

Value Value::Null() { return Marked(NullMarker()); }

// ---------------------------------------------------------------- sections

void Section::Set(const std::string& name, Value value) { values_[name] = std::move(value); }

Section& Section::Add(const std::string& name) {
    sections_.emplace_back(name, std::make_unique<Section>());
    return *sections_.back().second;
}

void Section::Show(const std::string& name) {
    for (const auto& [n, s] : sections_)
        if (n == name) return;
    Add(name);
}

const Value* Section::Find(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- blocks

Value ReportModel::Caption(const std::string& name) const {
    const Value* v = values.Find(name);
    return v ? *v : Value{};
}

Block& ReportModel::Heading(int level, std::vector<Value> cells) {
    Block& b = blocks.emplace_back();
    b.kind = Block::Kind::Heading;
    b.level = level;
    b.cells = std::move(cells);
    return b;
}

Block& ReportModel::Line(std::vector<Value> cells) {
    Block& b = blocks.emplace_back();
    b.kind = Block::Kind::Line;
    b.cells = std::move(cells);
    return b;
}

Block& ReportModel::Table(int headerRows) {
    Block& b = blocks.emplace_back();
    b.kind = Block::Kind::Table;
    b.headerRows = headerRows;
    return b;
}

} // namespace zorva::report
