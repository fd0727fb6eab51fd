// The session log of the car window.
#include "carterm/Form1.h"

#include "carterm/LogFile.h"
#include "serial/OutsideText.h"
#include "toolkit/Platform.h"

namespace carterm {

using namespace toolkit;

namespace {
constexpr const char* kLogTitle = "Open Communications Log File";
constexpr const char* kLogFilter = "Log Files (*.LOG)|*.log|All Files (*.*)|*.*";
} // namespace

void Form1::MOpenLog_Click()
{
    std::string path;
    for (;;) {
        path.clear();
        if (!platform().openFileDialog(kLogTitle, kLogFilter, path))
            return;
        logFileName = path;
        const logfile::LookUp found = logfile::lookUp(path);
        if (!found.error.empty()) {
            showWarning(found.error);
            return;
        }
        if (!found.exists)
            break;
        if (found.isDirectory) {
            showWarning(serial::printable(path) + " is a folder: choose a file for the log");
            return;
        }
        const MsgResult r = platform().messageBox("Replace existing file - " + serial::printable(path) + "?",
                                                  MsgButtons::YesNoCancel,
                                                  MsgIcon::Question, {});
        if (r == MsgResult::Cancel)
            continue;
        if (r == MsgResult::Yes) {
            if (const std::string error = logfile::removeForReplace(path); !error.empty()) {
                showWarning(error);
                return;
            }
        }
        break;
    }

    std::string error;
    logFileNumber = logfile::openForAppend(path, error);
    if (logFileNumber == 0) {
        showWarning(error);
        return;
    }
    setCaption("MSComm Terminal - " + serial::printable(logfile::baseName(path)));
    MOpenLog.setEnabled(false);
    MCloseLog.setEnabled(true);
}

void Form1::MCloseLog_Click()
{
    logfile::close(logFileNumber);
    logFileNumber = 0;
    MOpenLog.setEnabled(true);
    MCloseLog.setEnabled(false);
    setCaption("MSComm Terminal");
}

// Every piece reaches the system before the receive handler returns. After a failure, Retry
// carries on with the bytes that did not get written, so nothing is written twice.
void Form1::writeToLog(const std::string& data)
{
    std::size_t done = 0;
    for (;;) {
        std::size_t written = 0;
        const std::string error = logfile::write(logFileNumber, std::string_view(data).substr(done), written);
        done += written;
        if (error.empty())
            return;
        const MsgResult r = platform().messageBox(error, MsgButtons::RetryCancel, MsgIcon::Critical, {});
        if (logFileNumber == 0)
            return; // closed while the question was up
        if (r != MsgResult::Retry) {
            MCloseLog_Click();
            return;
        }
    }
}

} // namespace carterm
