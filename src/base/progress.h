#pragma once

#include <string>

// What long work (reading the sheets, writing the file) reports while it runs: a status text
// and a bar. The window shows them; the command line and tests take them or let them pass.
class Progress {
  public:
    virtual ~Progress() = default;

    virtual void setStatus(const std::string& text) = 0;
    virtual void setProgress(int position, int maximum) = 0;
    virtual void stepProgress() = 0;
    // Lets pending window events through now, so that a new status text shows.
    virtual void processEvents() = 0;
    // Called once per row or record: lets pending events through on a time budget, so a long
    // sheet keeps the window responsive without costing more than the reading.
    virtual void keepResponsive() = 0;
};

// Progress nobody watches.
class SilentProgress : public Progress {
  public:
    void setStatus(const std::string&) override {}
    void setProgress(int, int) override {}
    void stepProgress() override {}
    void processEvents() override {}
    void keepResponsive() override {}
};
