// Text-file transmission from the car window.
#include "carterm/Form1.h"

#include "toolkit/Bytes.h"
#include "serial/PortMap.h"
#include "carterm/Form2.h"
#include "carterm/LogFile.h"
#include "serial/OutsideText.h"
#include "toolkit/Platform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace carterm {

using namespace toolkit;

namespace {
constexpr const char* kSendTitle = "Send Text File";
constexpr const char* kSendFilter = "Text Files (*.TXT)|*.txt|All Files (*.*)|*.*";

// The file being sent, read a chunk at a time. Its length is fixed when it opens, so a file that
// grows meanwhile (the session log itself, say) is sent as it was: the transmission always ends.
class FileToSend {
public:
    ~FileToSend()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    std::string open(const std::string& path)
    {
        // Non-blocking while opening, so that a pipe cannot hang the window.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            return serial::printable(path) + ": " + std::strerror(errno);
        struct stat st {};
        if (::fstat(fd_, &st) != 0)
            return serial::printable(path) + ": " + std::strerror(errno);
        // A device or pipe has no end to send up to.
        if (!S_ISREG(st.st_mode))
            return serial::printable(path) + " is not a file: choose a text file to transmit";
        ::fcntl(fd_, F_SETFL, 0);
        length_ = static_cast<long long>(st.st_size);
        return {};
    }
    long long length() const { return length_; }
    long long sent() const { return read_; }
    bool atEnd() const { return read_ >= length_; }
    // The next chunk: at most `size` bytes, never past the length taken at the start. Empty with
    // `error` set when the file cannot be read, or empty when it turned out shorter.
    std::string next(int size, std::string& error)
    {
        const long long wanted = std::min<long long>(size, length_ - read_);
        std::string chunk(static_cast<size_t>(std::max<long long>(wanted, 0)), '\0');
        size_t got = 0;
        while (got < chunk.size()) {
            const ssize_t n = ::pread(fd_, chunk.data() + got, chunk.size() - got, read_ + static_cast<off_t>(got));
            if (n > 0) {
                got += static_cast<size_t>(n);
            } else if (n == 0) {
                length_ = read_ + static_cast<long long>(got); // the file was cut short meanwhile
                break;
            } else if (errno != EINTR) {
                error = std::strerror(errno);
                break;
            }
        }
        chunk.resize(got);
        read_ += static_cast<long long>(got);
        return chunk;
    }

private:
    int fd_ = -1;
    long long length_ = 0;
    long long read_ = 0;
};

std::string progressNote(const FileToSend& file)
{
    return "Transmission stopped after " + decimal(file.sent()) + " of " + decimal(file.length()) + " bytes.";
}
} // namespace

void Form1::MSendText_Click()
{
    MSendText.setEnabled(false);
    if (progress && progress->running)
        return;

    std::string path;
    for (;;) {
        path.clear();
        if (!platform().openFileDialog(kSendTitle, kSendFilter, path)) {
            MSendText.setEnabled(true);
            return;
        }
        logFileName = path;
        const logfile::LookUp found = logfile::lookUp(path);
        if (!found.error.empty()) {
            showWarning(found.error);
            MSendText.setEnabled(true);
            return;
        }
        if (found.exists)
            break;
        showWarning(serial::printable(path) + " not found!");
    }

    FileToSend file;
    if (const std::string error = file.open(path); !error.empty()) {
        showWarning(error);
    } else {
        if (!progress)
            progress = std::make_unique<Form2>(*this);
        cancelSend = false;
        sendCutByLoss = false;
        progress->cancelPressed = false;
        progress->running = true;
        progress->Label1.setCaption("Transmitting Text File - " + serial::printable(path));
        progress->show();
        const int chunkSize = MSComm1.outBufferSize();

        while (!file.atEnd() && !cancelSend) {
            std::string readError;
            const std::string chunk = file.next(chunkSize, readError);
            if (!readError.empty()) {
                showWarning(serial::printable(path) + ": " + readError + "\n" + progressNote(file));
                break;
            }
            if (chunk.empty())
                break;
            // Straight to the control rather than send(): a port that has gone must be reported.
            if (const serial::CommError error = MSComm1.output(chunk)) {
                showWarning(error.text + "\n" + progressNote(file));
                break;
            }
            // What still waited at the last look is what a loss throws away.
            long long waiting = MSComm1.outBufferCount();
            do {
                platform().doEvents();
                if (MSComm1.portOpen() && !sendCutByLoss)
                    waiting = MSComm1.outBufferCount();
            } while (MSComm1.outBufferCount() > 0 && !cancelSend);
            // Whatever ran meanwhile (a port toggle, say) must not offer a second transmission.
            MSendText.setEnabled(false);

            if (sendCutByLoss) {
                showWarning(serial::portName(MSComm1.commPort()) + " was lost while " + serial::printable(path) +
                            " was being transmitted: " + decimal(std::max(0LL, file.sent() - waiting)) + " of its " +
                            decimal(file.length()) + " bytes went out.");
                break;
            }
            // Closing the port throws away what was still waiting: the file did not all arrive.
            if (!MSComm1.portOpen() || (cancelSend && !progress->cancelPressed)) {
                showWarning("The port was closed while " + serial::printable(path) + " was being transmitted.\n" +
                            progressNote(file));
                break;
            }
        }
    }

    MSendText.setEnabled(MSComm1.portOpen());
    cancelSend = true;
    if (progress) {
        progress->running = false;
        progress->hide();
    }
}

} // namespace carterm
