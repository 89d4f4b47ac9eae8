#pragma once
// What the enterprise's flows (enterprise/ValuesFlow.h, enterprise/ImportFlow.h)
// ask of the screens of the enterprise, which they may not include: a stored
// record put on the values screen, the file choosers and the import previews.
//
// The program's navigator (ui/Navigator.cpp) implements it beside
// core/Navigator.h; without it (the command-line tool, unit tests) nothing is
// shown, nothing is chosen and no preview is accepted. A test installs a fake
// that answers from a script.

#include <memory>
#include <string>

namespace zorva {

struct RecordTexts;
namespace import {
struct StatementReview;
}
namespace books {
struct BooksReview;
}

class EnterpriseScreens {
public:
    virtual ~EnterpriseScreens() = default;

    // The values screen shown with a stored record put on it (the record
    // counts as unchanged).
    virtual void ShowStoredRecord(const RecordTexts& record) { (void)record; }
    // A statement file to import, chosen by the user; empty: cancelled.
    virtual std::string ChooseStatementFile() { return {}; }
    // The import preview of a statement file (its sheet and the choice to
    // keep the lines it does not name are changed in the review); true when
    // the user accepts it.
    virtual bool ConfirmImport(import::StatementReview& review) {
        (void)review;
        return false;
    }
    // Books or a trial balance to import, chosen by the user; empty: cancelled.
    virtual std::string ChooseBooksFile() { return {}; }
    // The preview of books: the mapping (changed in the review) and the
    // statement; true when the user asks to import it.
    virtual bool ReviewBooks(books::BooksReview& review) {
        (void)review;
        return false;
    }
};

// The screens in force (the do-nothing ones until others are installed).
EnterpriseScreens& enterpriseScreens();
void SetEnterpriseScreens(std::shared_ptr<EnterpriseScreens> screens);

} // namespace zorva
