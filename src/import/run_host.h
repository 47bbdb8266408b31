#pragma once

#include <string>

#include "import/regional_settings.h"
#include "shell/date.h"
#include "shell/message_boxes.h"

class DesktopShell;

// What one generation run takes from its front end, read once when the run starts: every step
// after that uses this snapshot, so a change made in the window while the run lets events
// through cannot give a file whose name and content disagree.
struct RunInputs {
    std::string workplaceName;     // the workplace field
    std::string payerCode;         // the selected payer's company code; empty when none
    int payerCount = 0;            // entries in the payer list
    std::string workbookPath;      // empty when no workbook is chosen
    std::string workbookFileName;  // as shown to the user
    Period period;
    RegionalSettings regional;
    std::string programVersion;
};

// What the generation run and the i.SAF writer need of their front end: the window with its
// widgets, the command line with its arguments and terminal, tests with a recording fake.
class RunHost {
  public:
    virtual ~RunHost() = default;

    virtual RunInputs inputs() = 0;

    // Hourglass on; "choose workbook", "generate", "output folder" and "close" disabled.
    virtual void beginBusy() = 0;
    // Buttons enabled again, status text empty, progress at 0, cursor back to normal.
    virtual void endBusy() = 0;

    // The workplace caption turns red: the name is missing.
    virtual void markWorkplaceMissing() = 0;

    virtual void setStatus(const std::string& text) = 0;
    virtual void setProgress(int position, int maximum) = 0;
    virtual void stepProgress() = 0;
    // Lets pending window events through now, so that a new status text shows.
    virtual void processEvents() = 0;
    // Called once per row or record: lets pending events through on a time budget, so a long
    // sheet keeps the window responsive without costing more than the reading.
    virtual void keepResponsive() = 0;

    virtual int showMessage(MessageKind kind, const std::string& text) = 0;

    // The i.SAF file was saved at this path: the window tells the user where it lies, the
    // command line prints the path.
    virtual void showSaved(const std::string& path) = 0;

    // The payer actions of the window: edit the selected payer, enter a new one.
    virtual void editPayer() = 0;
    virtual void newPayer() = 0;

    virtual DesktopShell& desktop() = 0;

    // The folder the i.SAF file is saved into.
    virtual std::string outputFolder() = 0;
};
