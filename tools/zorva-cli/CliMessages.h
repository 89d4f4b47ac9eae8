#pragma once
// The program's messages as zorva-cli keeps them (for its output, instead of
// shown), and what it writes of a record that was saved or refused.

#include "core/Services.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/ValuesFlow.h"

#include <memory>
#include <string>
#include <vector>

namespace zorva::cli {

// Messages of the program, kept instead of shown.
class CapturedMessages : public MessageService {
public:
    std::string last;  // only the last is reported (an import of 100,000 rows shows as many)
    MsgAnswer okCancel = MsgAnswer::OK;  // the answer to an OK / Cancel question
    MsgAnswer yesNo = MsgAnswer::Yes;    // the answer to a Yes / No question
    MsgAnswer show(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon) override {
        last = text;
        if (buttons == MsgButtons::OKCancel) return okCancel;
        if (buttons == MsgButtons::YesNo) return yesNo;
        return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::OK;
    }
};

// The program's messages, kept for the tool's output instead of shown; its
// OK / Cancel questions (replacing a saved statement) and Yes / No questions
// (importing a statement that does not balance) answered as told.
class MessageCapture {
public:
    explicit MessageCapture(MsgAnswer okCancel = MsgAnswer::OK, MsgAnswer yesNo = MsgAnswer::Yes)
        : captured_(std::make_shared<CapturedMessages>()), saved_(services().messages) {
        captured_->okCancel = okCancel;
        captured_->yesNo = yesNo;
        services().messages = captured_;
    }
    ~MessageCapture() { services().messages = saved_; }
    std::string last() const { return captured_->last; }

private:
    std::shared_ptr<CapturedMessages> captured_;
    std::shared_ptr<MessageService> saved_;
};

// A file named on the command line that is the user store itself, or its
// log or shared memory: reading or writing it by a descriptor of this
// program's own would drop the locks of the open connection to the store.
void refuseStoreFile(const std::string& path);

// A save as the tool reports it: "saved", "replaced" or "skipped", or empty
// with `reason` saying why nothing was stored (a reason already given is kept).
std::string saveStatus(values::SaveResult saved, bool skip, int lang, const MessageCapture& messages,
                       std::string& reason);

// The JSON line of a record refused with a message.
std::string errorObject(const RecordTexts& r, const std::string& message);

} // namespace zorva::cli
