#include "reports/render/TaggedPdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QVariant>

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#define POINTERHOLDER_TRANSITION 4  // qpdf's own shared pointers, not its old ones
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

namespace zorva::report {

namespace {

const char* const kFacts = "zorvaPdfFacts";
constexpr double kPointsPerMm = 72 / 25.4;
constexpr double kPageWidth = 612, kPageHeight = 792;  // Letter, in points
constexpr double kMargin = 5 * kPointsPerMm;
constexpr double kDocumentDpi = 96;  // the reports' documents are laid out at 96 units an inch

// ------------------------------------------------------------------ structure

// Where a piece drawn belongs in the report's structure.
struct Where {
    enum Kind { None, Heading, Paragraph, Cell } kind = None;
    int level = 0;
    int block = -1;
    QTextTable* table = nullptr;
    int row = -1, column = -1;
    bool header = false;
    bool same(const Where& o) const {
        if (kind != o.kind) return false;
        if (kind == Cell) return table == o.table && row == o.row && column == o.column;
        return block == o.block;
    }
};

// The table of a position that has header rows (not a table that only places
// text, such as a chart's sentence box inside a cell).
QTextTable* DataTableAt(QTextDocument& doc, int position) {
    QTextCursor cursor(&doc);
    cursor.setPosition(position);
    for (QTextFrame* f = cursor.currentFrame(); f; f = f->parentFrame())
        if (auto* t = qobject_cast<QTextTable*>(f); t && t->format().headerRowCount() > 0) return t;
    return nullptr;
}

Where WhereIs(QTextDocument& doc, int position) {
    Where w;
    if (position < 0) return w;
    if (QTextTable* table = DataTableAt(doc, position)) {
        const QTextTableCell cell = table->cellAt(position);
        if (!cell.isValid()) return w;
        w.kind = Where::Cell;
        w.table = table;
        w.row = cell.row();
        w.column = cell.column();
        // Header rows, and each body row's name in its first column.
        w.header = cell.row() < table->format().headerRowCount() ||
                   (cell.column() == 0 && table->columns() > 1 && cell.columnSpan() < table->columns());
        return w;
    }
    const QTextBlock block = doc.findBlock(position);
    if (!block.isValid()) return w;
    w.block = block.blockNumber();
    w.level = block.blockFormat().headingLevel();
    w.kind = w.level > 0 ? Where::Heading : Where::Paragraph;
    return w;
}

// The picture's index from a document position next to it (its image name
// ends with the index), or -1.
int PictureAt(QTextDocument& doc, int position) {
    for (int p : {position, position - 1, position + 1}) {
        if (p < 0) continue;
        const QTextBlock block = doc.findBlock(p);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (p < f.position() || p >= f.position() + f.length() || !f.charFormat().isImageFormat()) continue;
            const QString name = f.charFormat().toImageFormat().name();
            const int colon = name.lastIndexOf(':');
            bool ok = false;
            const int index = name.mid(colon + 1).toInt(&ok);
            if (ok) return index;
        }
    }
    return -1;
}

// Opens and closes cairo's structure elements as the pieces are drawn.
class Tagger {
public:
    Tagger(cairo_t* cr, cairo_surface_t* surface) : cr_(cr), surface_(surface) { push("Document"); }

    void To(const Where& w, QTextDocument& doc, int page, QPointF at) {
        if (w.kind == Where::None || w.same(now_)) return;
        const bool sameTable = now_.kind == Where::Cell && w.kind == Where::Cell && now_.table == w.table;
        const bool sameRow = sameTable && now_.row == w.row;
        if (sameRow) pop(1);
        else if (sameTable) pop(2);
        else popAll();
        if (w.kind == Where::Cell) {
            if (!sameTable) push("Table");
            if (!sameRow) push("TR");
            push(w.header ? "TH" : "TD");
        } else if (w.kind == Where::Heading) {
            push("H" + std::to_string(std::clamp(w.level, 1, 6)));
            bookmark(w, doc, page, at);
        } else {
            push("P");
        }
        now_ = w;
    }
    // A figure: inside its cell, or on its own.
    void Figure(const Where& w, QTextDocument& doc, int page, QPointF at) {
        if (w.kind == Where::Cell) {
            To(w, doc, page, at);
        } else {
            popAll();
            now_ = Where();
        }
        push("Figure");
    }
    void EndFigure() { pop(1); }
    void Finish() {
        popAll();
        pop(1);
    }

private:
    void push(const std::string& tag) {
        cairo_tag_begin(cr_, tag.c_str(), "");
        open_.push_back(tag);
    }
    void pop(size_t n) {
        for (size_t i = 0; i < n && !open_.empty(); ++i) {
            cairo_tag_end(cr_, open_.back().c_str());
            open_.pop_back();
        }
    }
    void popAll() { pop(open_.empty() ? 0 : open_.size() - 1); }

    // A bookmark for each heading, the parts below the title.
    void bookmark(const Where& w, QTextDocument& doc, int page, QPointF at) {
        if (!marked_.insert(w.block).second) return;
        const QString text = doc.findBlockByNumber(w.block).text().simplified();
        if (text.isEmpty()) return;
        char link[96];
        std::snprintf(link, sizeof link, "page=%d pos=[%.1f %.1f]", page + 1, std::max(0.0, at.x()),
                      std::max(0.0, at.y() - 14));
        const int parent = w.level > 1 && lastTop_ > 0 ? lastTop_ : CAIRO_PDF_OUTLINE_ROOT;
        const int id = cairo_pdf_surface_add_outline(surface_, parent, text.toUtf8().constData(), link,
                                                     static_cast<cairo_pdf_outline_flags_t>(0));
        if (w.level <= 1) lastTop_ = id;
    }

    cairo_t* cr_;
    cairo_surface_t* surface_;
    std::vector<std::string> open_;
    Where now_;
    std::set<int> marked_;
    int lastTop_ = 0;
};

// ------------------------------------------------------------------ drawing

void SetMatrix(cairo_t* cr, const QTransform& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy());
    cairo_set_matrix(cr, &m);
}

void SetColour(cairo_t* cr, const QColor& c) { cairo_set_source_rgba(cr, c.redF(), c.greenF(), c.blueF(), c.alphaF()); }

// The paint engine that draws Qt's painting with cairo and tags it.
class CairoEngine : public QPaintEngine {
public:
    CairoEngine(cairo_t* cr, cairo_surface_t* surface, QTextDocument& doc, const PdfFacts& facts)
        : QPaintEngine(QPaintEngine::AllFeatures), cr_(cr), doc_(doc), facts_(facts), tagger_(cr, surface) {}

    void StartPage(int page, const QTransform& pageToDevice) {
        page_ = page;
        fromDevice_ = pageToDevice.inverted();
    }
    void Finish() { tagger_.Finish(); }
    const QStringList& Alternatives() const { return alts_; }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyTransform) transform_ = state.transform();
        if (flags & DirtyPen) pen_ = state.pen();
        if (flags & DirtyBrush) brush_ = state.brush();
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.trimmed().isEmpty()) return;
        const QPointF inside(p.x() + 1, p.y() - 2);
        tagger_.To(WhereIs(doc_, position(inside)), doc_, page_, transform_.map(p));
        const QFont font = item.font();
        PangoFontDescription* desc = pango_font_description_new();
        pango_font_description_set_family(desc, font.family().toUtf8().constData());
        const double size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDocumentDpi / 72;
        pango_font_description_set_absolute_size(desc, size * PANGO_SCALE);
        pango_font_description_set_weight(desc, static_cast<PangoWeight>(std::clamp(static_cast<int>(font.weight()), 100, 1000)));
        pango_font_description_set_style(desc, font.italic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        PangoLayout* layout = pango_cairo_create_layout(cr_);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
        pango_layout_context_changed(layout);
        pango_layout_set_font_description(layout, desc);
        const QByteArray utf8 = text.toUtf8();
        pango_layout_set_text(layout, utf8.constData(), static_cast<int>(utf8.size()));
        cairo_save(cr_);
        SetMatrix(cr_, transform_);
        SetColour(cr_, pen_.color());
        cairo_move_to(cr_, p.x(), p.y() - pango_layout_get_baseline(layout) / double(PANGO_SCALE));
        pango_cairo_show_layout(cr_, layout);
        cairo_restore(cr_);
        cairo_font_options_destroy(options);
        g_object_unref(layout);
        pango_font_description_free(desc);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
        const int at = position(r.center());
        const int picture = PictureAt(doc_, at);
        const QString alt = picture >= 0 && picture < facts_.alternatives.size() ? facts_.alternatives[picture] : QString();
        // A chart is a figure; a mark without words of its own (a legend's
        // symbol, whose meaning the text beside it gives) belongs to that text.
        const bool figure = !alt.isEmpty();
        if (figure) {
            tagger_.Figure(WhereIs(doc_, at), doc_, page_, transform_.map(r.topLeft()));
            alts_ << alt;
        }
        QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        cairo_surface_t* source = cairo_image_surface_create_for_data(
            argb.bits(), CAIRO_FORMAT_ARGB32, argb.width(), argb.height(), static_cast<int>(argb.bytesPerLine()));
        cairo_save(cr_);
        SetMatrix(cr_, transform_);
        cairo_rectangle(cr_, r.x(), r.y(), r.width(), r.height());
        cairo_clip(cr_);
        cairo_translate(cr_, r.x(), r.y());
        cairo_scale(cr_, r.width() / std::max(1.0, sr.width()), r.height() / std::max(1.0, sr.height()));
        cairo_translate(cr_, -sr.x(), -sr.y());
        cairo_set_source_surface(cr_, source, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
        cairo_paint(cr_);
        cairo_restore(cr_);
        cairo_surface_destroy(source);
        if (figure) tagger_.EndFigure();
    }
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawRects(const QRectF* rects, int count) override {
        QPainterPath path;
        for (int i = 0; i < count; ++i) path.addRect(rects[i]);
        drawPath(path);
    }
    void drawLines(const QLineF* lines, int count) override {
        if (pen_.style() == Qt::NoPen) return;
        cairo_save(cr_);
        SetMatrix(cr_, transform_);
        for (int i = 0; i < count; ++i) {
            cairo_move_to(cr_, lines[i].x1(), lines[i].y1());
            cairo_line_to(cr_, lines[i].x2(), lines[i].y2());
        }
        stroke();
        cairo_restore(cr_);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPainterPath path;
        if (count < 1) return;
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i) path.lineTo(points[i]);
        if (mode != PolylineMode) path.closeSubpath();
        if (mode == PolylineMode) {
            QBrush keep = brush_;
            brush_ = Qt::NoBrush;
            drawPath(path);
            brush_ = keep;
        } else {
            drawPath(path);
        }
    }
    void drawPath(const QPainterPath& path) override {
        cairo_save(cr_);
        SetMatrix(cr_, transform_);
        cairo_new_path(cr_);
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo()) {
                cairo_move_to(cr_, e.x, e.y);
            } else if (e.isLineTo()) {
                cairo_line_to(cr_, e.x, e.y);
            } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
                const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
                cairo_curve_to(cr_, e.x, e.y, c2.x, c2.y, end.x, end.y);
                i += 2;
            }
        }
        cairo_set_fill_rule(cr_, path.fillRule() == Qt::WindingFill ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        if (brush_.style() != Qt::NoBrush) {
            SetColour(cr_, brush_.color());
            cairo_fill_preserve(cr_);
        }
        stroke();
        cairo_restore(cr_);
    }

private:
    void stroke() {
        if (pen_.style() == Qt::NoPen) {
            cairo_new_path(cr_);
            return;
        }
        SetColour(cr_, pen_.color());
        // A cosmetic pen (width 0) is one device unit wide whatever the scale.
        double width = pen_.widthF();
        if (width <= 0 || pen_.isCosmetic()) {
            double dx = std::max(0.1, width), dy = 0;
            cairo_device_to_user_distance(cr_, &dx, &dy);
            width = std::hypot(dx, dy);
        }
        cairo_set_line_width(cr_, width);
        cairo_stroke(cr_);
    }
    // The document position of a point drawn (painter coordinates).
    int position(QPointF p) const {
        const QPointF onDocument = fromDevice_.map(transform_.map(p));
        return doc_.documentLayout()->hitTest(onDocument, Qt::FuzzyHit);
    }

    cairo_t* cr_;
    QTextDocument& doc_;
    const PdfFacts& facts_;
    Tagger tagger_;
    QTransform transform_, fromDevice_;
    QPen pen_;
    QBrush brush_;
    int page_ = 0;
    QStringList alts_;
};

class CairoDevice : public QPaintDevice {
public:
    explicit CairoDevice(CairoEngine* engine) : engine_(engine) {}
    QPaintEngine* paintEngine() const override { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return static_cast<int>(kPageWidth);
        case PdmHeight: return static_cast<int>(kPageHeight);
        case PdmWidthMM: return 216;
        case PdmHeightMM: return 279;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 72;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        default: return QPaintDevice::metric(m);
        }
    }

private:
    CairoEngine* engine_;
};

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
    auto* file = static_cast<QFile*>(closure);
    return file->write(reinterpret_cast<const char*>(data), length) == static_cast<qint64>(length)
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

// What cairo 1.16 does not write: the language, the figures' alternatives,
// the header cells' scope, the title shown as the window's.
void Complete(const std::string& from, const std::string& to, const std::string& lang, const QStringList& alts) {
    QPDF pdf;
    pdf.processFile(from.c_str());
    QPDFObjectHandle root = pdf.getRoot();
    root.replaceKey("/Lang", QPDFObjectHandle::newUnicodeString(lang == "fr" ? "fr-CA" : "en-CA"));
    root.replaceKey("/ViewerPreferences", QPDFObjectHandle::parse("<< /DisplayDocTitle true >>"));
    int figure = 0;
    std::set<QPDFObjGen> seen;
    std::function<void(QPDFObjectHandle, QPDFObjectHandle)> walk = [&](QPDFObjectHandle node, QPDFObjectHandle parent) {
        if (node.isArray()) {
            for (int i = 0; i < node.getArrayNItems(); ++i) walk(node.getArrayItem(i), parent);
            return;
        }
        if (!node.isDictionary()) return;
        if (node.isIndirect() && !seen.insert(node.getObjGen()).second) return;
        QPDFObjectHandle type = node.getKey("/S");
        if (type.isName()) {
            if (type.getName() == "/Figure") {
                const QString alt = figure < alts.size() ? alts[figure] : QString();
                ++figure;
                node.replaceKey("/Alt", QPDFObjectHandle::newUnicodeString(alt.toStdString()));
            } else if (type.getName() == "/TH") {
                // A row of header cells only heads its columns; a header cell
                // among data cells names its row.
                bool allHeaders = true;
                QPDFObjectHandle kids = parent.isDictionary() ? parent.getKey("/K") : QPDFObjectHandle();
                if (kids.isArray())
                    for (int i = 0; i < kids.getArrayNItems(); ++i) {
                        QPDFObjectHandle k = kids.getArrayItem(i);
                        if (k.isDictionary() && k.getKey("/S").isName() && k.getKey("/S").getName() == "/TD")
                            allHeaders = false;
                    }
                node.replaceKey("/A", QPDFObjectHandle::parse(allHeaders ? "<< /O /Table /Scope /Column >>"
                                                                         : "<< /O /Table /Scope /Row >>"));
            }
        }
        walk(node.getKey("/K"), node);
    };
    walk(root.getKey("/StructTreeRoot").getKey("/K"), root.getKey("/StructTreeRoot"));
    QPDFWriter writer(pdf, to.c_str());
    writer.write();
}

} // namespace

void KeepPdfFacts(QTextDocument& document, const PdfFacts& facts) {
    document.setProperty(kFacts, QVariant::fromValue(QStringList{QString::fromStdString(facts.title),
                                                                 QString::fromStdString(facts.lang)} +
                                                     facts.alternatives));
}

PdfFacts PdfFactsOf(const QTextDocument& document) {
    PdfFacts facts;
    const QStringList kept = document.property(kFacts).toStringList();
    if (kept.size() >= 2) {
        facts.title = kept[0].toStdString();
        facts.lang = kept[1].toStdString();
        facts.alternatives = kept.mid(2);
    } else {
        facts.title = document.metaInformation(QTextDocument::DocumentTitle).toStdString();
    }
    return facts;
}

bool WriteTaggedPdf(QTextDocument& document, const std::string& path, std::string* error) {
    const PdfFacts facts = PdfFactsOf(document);
    const std::string drawn = path + ".cairo";
    QStringList alts;
    {
        QFile file(QString::fromStdString(drawn));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            if (error) *error = file.errorString().toStdString();
            return false;
        }
        cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(WriteToFile, &file, kPageWidth, kPageHeight);
        cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, facts.title.c_str());
        cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Zorva");
        cairo_t* cr = cairo_create(surface);
        {
            CairoEngine engine(cr, surface, document, facts);
            CairoDevice device(&engine);
            const QSizeF page = document.pageSize();
            const double sx = (kPageWidth - 2 * kMargin) / page.width(), sy = (kPageHeight - 2 * kMargin) / page.height();
            QPainter painter(&device);
            for (int i = 0; i < document.pageCount(); ++i) {
                if (i > 0) cairo_show_page(cr);
                QTransform onPage;
                onPage.translate(kMargin, kMargin);
                onPage.scale(sx, sy);
                onPage.translate(0, -i * page.height());
                engine.StartPage(i, onPage);
                // Only this page: what a row or a picture puts across its end is on the next.
                cairo_reset_clip(cr);
                cairo_identity_matrix(cr);
                cairo_rectangle(cr, kMargin, kMargin, kPageWidth - 2 * kMargin, kPageHeight - 2 * kMargin);
                cairo_clip(cr);
                painter.setTransform(onPage);
                QAbstractTextDocumentLayout::PaintContext context;
                context.clip = QRectF(0, i * page.height(), page.width(), page.height());
                context.palette.setColor(QPalette::Text, Qt::black);
                document.documentLayout()->draw(&painter, context);
            }
            painter.end();
            engine.Finish();
            alts = engine.Alternatives();
        }
        cairo_destroy(cr);
        cairo_surface_finish(surface);
        const cairo_status_t status = cairo_surface_status(surface);
        cairo_surface_destroy(surface);
        if (status != CAIRO_STATUS_SUCCESS) {
            if (error) *error = cairo_status_to_string(status);
            QFile::remove(QString::fromStdString(drawn));
            return false;
        }
    }
    try {
        Complete(drawn, path, facts.lang, alts);
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        QFile::remove(QString::fromStdString(drawn));
        return false;
    }
    QFile::remove(QString::fromStdString(drawn));
    return true;
}

} // namespace zorva::report
