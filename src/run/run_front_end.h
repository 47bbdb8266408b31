#pragma once

#include <string>

#include "base/date.h"
#include "base/message_boxes.h"
#include "invoices/book_warnings.h"
#include "invoices/regional_settings.h"

class DesktopShell;

// What one generation run takes from its front end, read once before the run starts: every
// step uses this snapshot, so a change made in the window while the run lets events through
// cannot give a file whose name and content disagree.
struct RunInputs {
    std::string workplaceName;     // the workplace field
    std::string payerCode;         // the selected payer's company code; empty when none
    int payerCount = 0;            // entries in the payer list
    std::string workbookPath;      // empty when no workbook is chosen
    std::string workbookFileName;  // as shown to the user
    Period period;
    RegionalSettings regional;
    std::string programVersion;
    std::string outputFolder;   // where the i.SAF file is saved
    Date today = localToday();  // the front end's day: the warnings flag dates after it
};

// What the run asks of the user or tells them: the window with its boxes and dialogs, the
// command line with its terminal, tests with a recording fake. Progress goes through the
// separate Progress interface, which the i.SAF writer shares.
class RunPrompts {
  public:
    virtual ~RunPrompts() = default;

    virtual Answer showMessage(MessageKind kind, const std::string& text) = 0;

    // The i.SAF file was saved at this path: the window tells the user where it lies, the
    // command line prints the path.
    virtual void showSaved(const std::string& path) = 0;

    // After the saved file, what the warnings found (never empty): advice, not a question.
    virtual void showWarnings(const WarningList& warnings) = 0;

    // The workplace caption turns red: the name is missing.
    virtual void markWorkplaceMissing() = 0;

    // The payer actions of the window: edit the selected payer, enter a new one.
    virtual void editPayer() = 0;
    virtual void newPayer() = 0;

    // Where a badly filled workbook is shown to the user.
    virtual DesktopShell& desktop() = 0;
};
