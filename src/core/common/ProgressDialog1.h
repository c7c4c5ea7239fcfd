#pragma once

#include <string>

// The progress port: long loops report their progress and give the user interface a chance to
// process input. The desktop program shows a dialog with a "Stop" button; tests and the
// command-line tool supply their own.
class CProgressDialog1 {
public:
    virtual ~CProgressDialog1() = default;
    virtual void SetText(const std::string& text) { (void)text; }
    virtual void SetRange(long long lower, long long upper) = 0;
    virtual void SetPos(long long position) = 0;
    // Lets pending input be processed; false once the user has pressed "Stop".
    virtual bool PumpAndCheck() = 0;
};
