#include "reports/ReportDocument.h"

#include "reports/ReportEngine.h"

#include <QFile>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

namespace zorva::report {

std::unique_ptr<QTextDocument> MakeDocument(const Rendered& rendered) {
    auto doc = std::make_unique<QTextDocument>();
    QFont font("DejaVu Sans");
    font.setPointSizeF(9);
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->setHtml(QString::fromStdString(rendered.html));
    if (!rendered.title.empty()) doc->setMetaInformation(QTextDocument::DocumentTitle, QString::fromStdString(rendered.title));
    return doc;
}

void SetupReportPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
}

bool WritePdf(QTextDocument& document, const std::string& path, const std::string& title, std::string* error) {
    {
        QFile probe(QString::fromStdString(path));
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error) *error = probe.errorString().toStdString();
            return false;
        }
    }
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(300);
    writer.setTitle(QString::fromStdString(title));
    writer.setCreator("Zorva");
    SetupReportPage(writer);
    document.print(&writer);
    return true;
}

bool WriteHtml(const Rendered& rendered, const std::string& path, std::string* error) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = f.errorString().toStdString();
        return false;
    }
    QByteArray bytes(rendered.html.data(), static_cast<qsizetype>(rendered.html.size()));
    if (f.write(bytes) != bytes.size()) {
        if (error) *error = f.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace zorva::report
