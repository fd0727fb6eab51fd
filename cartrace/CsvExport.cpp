#include "cartrace/CsvExport.h"

#include "cartrace/TraceData.h"
#include "toolkit/Bytes.h"
#include "toolkit/TextOps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <vector>

namespace cartrace {

using carterm::reply::CarState;
using carterm::reply::ReplyKind;

namespace {

std::string quotedUtf8(const std::string& utf8)
{
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string quoted(const std::string& bytes) { return quotedUtf8(toolkit::toQt(bytes).toStdString()); }

// The reply that answers each of the live view's requests; -1 for a lone CR, which none does.
int answeredBy(const std::string& request)
{
    if (request == "pmii")
        return static_cast<int>(ReplyKind::Table);
    if (request == "vel")
        return static_cast<int>(ReplyKind::Velocity);
    if (request == "bbt")
        return static_cast<int>(ReplyKind::Bbt);
    if (request == "flt0")
        return static_cast<int>(ReplyKind::Fault);
    return -1;
}

bool closesPort(const std::string& name)
{
    return name == serial::capture::kClose || name == serial::capture::kLost || name == serial::capture::kFailed;
}

// The capture's replies, commands and events in the order they were recorded.
class Merge {
public:
    explicit Merge(const TraceData& data) : data_(data) {}
    enum Kind { Event, Command, Reply, Done };
    Kind next() const
    {
        const auto& events = data_.events();
        const auto& sent = data_.sent();
        const bool e = event < events.size(), c = command < sent.size(), r = reply < data_.states().size();
        if (e && (!c || events[event].sentBefore <= command) && (!r || events[event].statesBefore <= reply))
            return Event;
        if (c && (!r || sent[command].statesBefore <= reply))
            return Command;
        return r ? Reply : Done;
    }
    std::size_t event = 0, command = 0, reply = 0;

private:
    const TraceData& data_;
};

// Which request each reply answers: the latest of its kind not yet answered, sent since the
// port last closed. A request another of its kind overtook got no answer.
void matchRequests(const TraceData& data, std::vector<const Sent*>& answers, std::vector<char>& folded)
{
    answers.assign(data.states().size(), nullptr);
    folded.assign(data.sent().size(), 0);
    const Sent* waiting[4] = {};
    Merge m(data);
    for (Merge::Kind k; (k = m.next()) != Merge::Done;) {
        if (k == Merge::Event) {
            if (closesPort(data.events()[m.event].name))
                std::fill(std::begin(waiting), std::end(waiting), nullptr);
            ++m.event;
        } else if (k == Merge::Command) {
            const Sent& s = data.sent()[m.command++];
            if (s.request && answeredBy(s.text) >= 0)
                waiting[answeredBy(s.text)] = &s;
        } else {
            const std::size_t i = m.reply++;
            const Sent*& w = waiting[static_cast<int>(data.states()[i].kind)];
            if (w != nullptr) {
                answers[i] = w;
                folded[static_cast<std::size_t>(w - data.sent().data())] = 1;
                w = nullptr;
            }
        }
    }
}

std::string stampOf(long long start, long long time)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, ",%.3f,", static_cast<double>(time) / 1e6);
    return serial::capture::isoMillis(start + time) + seconds;
}

// A file written through a descriptor, keeping the first error's errno.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    int error() const { return error_; }

protected:
    int overflow(int c) override
    {
        if (!drain())
            return traits_type::eof();
        if (c != traits_type::eof()) {
            *pptr() = static_cast<char>(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        for (const char* from = pbase(); from < pptr() && error_ == 0;) {
            const ssize_t n = ::write(fd_, from, static_cast<std::size_t>(pptr() - from));
            if (n < 0 && errno != EINTR)
                error_ = errno;
            else if (n > 0)
                from += n;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return error_ == 0;
    }

    int fd_;
    int error_ = 0;
    char buffer_[1 << 16];
};

} // namespace

void writeCsv(const TraceData& data, std::ostream& out, CsvRange range)
{
    out << "time_utc,elapsed_s,floor,velocity_ft_min,bbt_s";
    for (int n = 0; n < 4; ++n)
        out << ",flt" << n << "_code,flt" << n << "_floor";
    out << ",request,command,line_event,line_detail";
    for (const auto& s : carterm::reply::kSignalNames)
        out << ',' << carterm::reply::plainSignalName(s);
    out << "\r\n";

    std::vector<const Sent*> answers;
    std::vector<char> folded;
    matchRequests(data, answers, folded);

    const long long start = data.startEpochMicros();
    const CarState* state = nullptr;
    bool stale = false;   // the port closed since the last reply: the values are not the car's now
    std::string line;
    const auto row = [&](long long time, const std::string& request, const std::string& command,
                         const LineEvent* event) {
        if (time < range.from || time > range.to)
            return;
        line = stampOf(start, time);
        const CarState* s = stale ? nullptr : state;
        if (s && s->floor > 0)
            line += std::to_string(s->floor);
        line += ',';
        if (s && s->velocity >= 0)
            line += std::to_string(s->velocity);
        line += ',';
        if (s)
            line += toolkit::trimmed(s->bbt, " ");
        for (int n = 0; n < 4; ++n) {
            line += ',';
            if (s && s->faults[n].code >= 0)
                line += std::to_string(s->faults[n].code);
            line += ',';
            if (s && s->faults[n].floor >= 0)
                line += std::to_string(s->faults[n].floor);
        }
        line += ',';
        line += request;
        line += ',';
        line += command;
        line += ',';
        if (event) {
            line += quoted(event->name);
            line += ',';
            line += quoted(event->value);
        } else {
            line += ',';
        }
        for (std::size_t i = 0; i < carterm::reply::kSignalCount; ++i) {
            line += ',';
            if (s && s->hasTable)
                line += s->signalBits[i] ? '1' : '0';
        }
        line += "\r\n";
        out << line;
    };

    Merge m(data);
    for (Merge::Kind k; (k = m.next()) != Merge::Done;) {
        if (k == Merge::Event) {
            const LineEvent& e = data.events()[m.event++];
            if (closesPort(e.name))
                stale = true;
            row(e.time, {}, {}, &e);
        } else if (k == Merge::Command) {
            const std::size_t i = m.command++;
            const Sent& s = data.sent()[i];
            if (folded[i])
                continue;
            // A lone CR is named, or its row would say nothing.
            const std::string text = s.text.empty() ? "CR" : quoted(s.text);
            if (s.request)
                row(s.time, text, {}, nullptr);
            else
                row(s.time, {}, text, nullptr);
        } else {
            const std::size_t i = m.reply++;
            state = &data.states()[i];
            stale = false;
            row(state->time, answers[i] ? answers[i]->text : std::string(), {}, nullptr);
        }
    }
}

void writeFaultsCsv(const TraceData& data, std::ostream& out, CsvRange range)
{
    out << "time_utc,elapsed_s,register,code,floor,description\r\n";
    const long long start = data.startEpochMicros();
    bool first = true;
    for (const CarState& s : data.states()) {
        if (s.kind != ReplyKind::Fault || s.time > range.to)
            continue;
        // The first reply shows what the log held before the session, the oldest entry last;
        // after it a new entry shows in register 0.
        for (int n = first ? 3 : 0; n >= 0; --n) {
            const auto& f = s.faults[n];
            if (f.code <= 0 || (n == 0 && !first && !s.newFault) || s.time < range.from)
                continue;
            out << stampOf(start, s.time) << n << ',' << f.code << ',' << (f.floor >= 0 ? std::to_string(f.floor) : "")
                << ',' << quotedUtf8(toolkit::toQt(faultDescription(f.code)).simplified().toStdString()) << "\r\n";
        }
        first = false;
    }
}

std::string writeFile(const std::string& path, const std::function<void(std::ostream&)>& write)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return path + ": cannot be written: " + std::strerror(errno);
    FileBuffer buffer(fd);
    std::ostream out(&buffer);
    write(out);
    out.flush();
    int error = buffer.error();
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error == 0 ? std::string() : path + ": cannot be written: " + std::strerror(error);
}

} // namespace cartrace
