#include "sim/modemsim/HayesModem.h"

#include <gtest/gtest.h>

using namespace modemsim;
using namespace std::chrono_literals;

namespace {

class HayesModemTest : public ::testing::Test {
protected:
    // A clock of the test's own: time moves only when `advance` says so.
    TimePoint now = TimePoint{} + 1h;
    HayesModem modem{ModemSettings{2s, 9600}};

    std::string bench(std::string_view bytes)
    {
        modem.benchBytes(bytes, now);
        return modem.takeBenchOutput();
    }
    std::string advance(Duration by)
    {
        now += by;
        modem.tick(now);
        return modem.takeBenchOutput();
    }
    std::string call()
    {
        EXPECT_TRUE(modem.callerArrived(now));
        return modem.takeBenchOutput();
    }
    void connectCall()
    {
        call();
        ASSERT_EQ(bench("ATA\r"), "ATA\r\r\nCONNECT 9600\r\n");
        ASSERT_EQ(modem.state(), CallState::Online);
    }
};

} // namespace

TEST_F(HayesModemTest, EchoesEveryByteAndAnswersOkOrError)
{
    EXPECT_EQ(bench("AT\r"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(bench("at\r"), "at\r\r\nOK\r\n");
    EXPECT_EQ(bench("aT e1 \r"), "aT e1 \r\r\nOK\r\n");
    EXPECT_EQ(bench("ATY\r"), "ATY\r\r\nERROR\r\n");
    EXPECT_EQ(bench("ATE2\r"), "ATE2\r\r\nERROR\r\n");
    // A line split over reads, ended CR LF as terminals do: the CR runs it, the LF is only echoed.
    EXPECT_EQ(bench("A"), "A");
    EXPECT_EQ(bench("T\r\n"), "T\r\r\nOK\r\n\n");
    // No "AT" in the line: not a command, no answer.
    EXPECT_EQ(bench("hello\r"), "hello\r");
    EXPECT_EQ(bench("\r"), "\r");
    // Backspace edits the line before it runs.
    EXPECT_EQ(bench("ATY\bE1\r"), "ATY\bE1\r\r\nOK\r\n");

    EXPECT_EQ(bench("ATE0\r"), "ATE0\r\r\nOK\r\n"); // the line itself still echoes
    EXPECT_FALSE(modem.echo());
    EXPECT_EQ(bench("AT\r"), "\r\nOK\r\n");
    EXPECT_EQ(bench("ATE1\r"), "\r\nOK\r\n");
    EXPECT_EQ(bench("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(HayesModemTest, OverlongLineAnswersErrorAndTheNextLineWorks)
{
    std::string line = "AT" + std::string(400, 'E') + "\r";
    std::string out = bench(line);
    EXPECT_EQ(out.substr(out.size() - 9), "\r\nERROR\r\n");
    EXPECT_EQ(bench("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(HayesModemTest, SRegistersAndTheSelectedRegister)
{
    EXPECT_EQ(bench("ATS2?\r"), "ATS2?\r\r\n043\r\n\r\nOK\r\n");
    EXPECT_EQ(bench("ATS0=3S12=25\r"), "ATS0=3S12=25\r\r\nOK\r\n");
    EXPECT_EQ(modem.reg(0), 3u);
    EXPECT_EQ(modem.reg(12), 25u);
    // S12 was named last: "=" and "?" now act on it.
    EXPECT_EQ(bench("AT=30?\r"), "AT=30?\r\r\n030\r\n\r\nOK\r\n");
    EXPECT_EQ(modem.reg(12), 30u);
    EXPECT_EQ(modem.reg(0), 3u);

    EXPECT_EQ(bench("ATS0=256\r"), "ATS0=256\r\r\nERROR\r\n");
    EXPECT_EQ(bench("ATS99=1\r"), "ATS99=1\r\r\nERROR\r\n");
    EXPECT_EQ(bench("ATS99?\r"), "ATS99?\r\r\nERROR\r\n");
    EXPECT_EQ(modem.reg(0), 3u);

    // A new line end (S3) ends the very line that sets it, and frames the answer.
    EXPECT_EQ(bench("ATS3=33\r"), "ATS3=33\r!\nOK!\n");
    EXPECT_EQ(bench("AT!"), "AT!!\nOK!\n");

    EXPECT_EQ(bench("ATZ!"), "ATZ!\r\nOK\r\n");
    EXPECT_EQ(modem.reg(0), 0u);
    EXPECT_EQ(modem.reg(12), 50u);
    EXPECT_EQ(bench("AT=5\r"), "AT=5\r\r\nOK\r\n"); // after ATZ the selected register is S0 again
    EXPECT_EQ(modem.reg(0), 5u);
}

TEST_F(HayesModemTest, NumericResultsIdentificationAndResultSets)
{
    // ATV0: a digit and CR for each result (0 OK ... 4 ERROR); information text ends CR LF.
    EXPECT_EQ(bench("ATE0V0\r"), "ATE0V0\r0\r");
    const struct {
        const char* line;
        const char* answer;
    } numeric[] = {
        {"AT\r", "0\r"},
        {"ATY\r", "4\r"},
        {"ATA\r", "3\r"},
        {"ATS0?\r", "000\r\n0\r"},
        {"ATI\r", "modemsim Hayes-compatible modem (Hoistwise kit simulator)\r\n0\r"},
        {"ATI9\r", "4\r"},
        {"ATX0X4\r", "0\r"},
        {"ATX5\r", "4\r"},
    };
    for (const auto& row : numeric)
        EXPECT_EQ(bench(row.line), row.answer) << row.line;
    EXPECT_EQ(call(), "2\r");
    EXPECT_EQ(bench("ATA\r"), "1\r");
    modem.callerHungUp(now);
    EXPECT_EQ(modem.takeBenchOutput(), "3\r");

    // ATV1 brings the words back; ATX0 drops the speed from CONNECT; ATZ restores V1 X4.
    EXPECT_EQ(bench("ATV1I0\r"), "\r\nmodemsim Hayes-compatible modem (Hoistwise kit simulator)\r\n\r\nOK\r\n");
    bench("ATX0\r");
    call();
    EXPECT_EQ(bench("ATA\r"), "\r\nCONNECT\r\n");
    modem.callerHungUp(now);
    modem.takeBenchOutput();
    bench("ATV0Z\r");
    EXPECT_TRUE(modem.verbose());
    call();
    EXPECT_EQ(bench("ATA\r"), "ATA\r\r\nCONNECT 9600\r\n"); // echo is back on too
}

TEST_F(HayesModemTest, QuietModeKeepsRegisterReadsButDropsResultCodes)
{
    EXPECT_EQ(bench("ATE0Q1\r"), "ATE0Q1\r"); // echoed while echo was still on
    EXPECT_EQ(bench("ATY\r"), "");
    EXPECT_EQ(bench("ATS0?\r"), "\r\n000\r\n");
    EXPECT_EQ(call(), "");
    EXPECT_EQ(bench("ATQ0\r"), "\r\nOK\r\n");
}

TEST_F(HayesModemTest, RingsUntilAnsweredThenPassesDataBothWays)
{
    EXPECT_EQ(call(), "\r\nRING\r\n");
    EXPECT_FALSE(modem.callerArrived(now)); // one call at a time
    EXPECT_EQ(advance(1999ms), "");
    EXPECT_EQ(advance(1ms), "\r\nRING\r\n");
    EXPECT_EQ(modem.reg(1), 2u);
    EXPECT_EQ(modem.nextDeadline(), now + 2s);

    EXPECT_EQ(bench("ATA\rhello"), "ATA\r\r\nCONNECT 9600\r\n"); // bytes after ATA are data
    EXPECT_EQ(modem.takeCallerOutput(), "hello");
    EXPECT_EQ(advance(10s), ""); // no more rings once connected

    modem.callerBytes(std::string_view("AT\r\x00\xff", 5), now);
    EXPECT_EQ(modem.takeBenchOutput(), std::string("AT\r\x00\xff", 5));
    EXPECT_EQ(bench("ATH0\r"), ""); // data, not a command
    EXPECT_EQ(modem.takeCallerOutput(), "ATH0\r");
}

TEST_F(HayesModemTest, AnswerWithoutCallerAndWhileOnline)
{
    EXPECT_EQ(bench("ATA\r"), "ATA\r\r\nNO CARRIER\r\n");
    EXPECT_EQ(modem.state(), CallState::Idle);
    EXPECT_EQ(bench("ATO\r"), "ATO\r\r\nERROR\r\n");
}

TEST_F(HayesModemTest, AutoAnswersAfterS0Rings)
{
    bench("ATS0=2\r");
    EXPECT_EQ(call(), "\r\nRING\r\n");
    EXPECT_EQ(advance(2s), "\r\nRING\r\n\r\nCONNECT 9600\r\n");
    EXPECT_EQ(modem.state(), CallState::Online);
}

TEST_F(HayesModemTest, BenchCallHandlingAnswersAndResetsAutoAnswer)
{
    // The bench answers RING with "at&s0=1" and a lost call with "ath0" and "at&s0=0".
    EXPECT_EQ(call(), "\r\nRING\r\n");
    EXPECT_EQ(bench("at&s0=1\r"), "at&s0=1\r\r\nOK\r\n");
    EXPECT_EQ(modem.reg(0), 1u);
    EXPECT_TRUE(modem.dsr());
    EXPECT_EQ(advance(2s), "\r\nRING\r\n\r\nCONNECT 9600\r\n");

    // Its repeated "at&s0=1" now reaches the caller as text.
    EXPECT_EQ(bench("at&s0=1\r"), "");
    EXPECT_EQ(modem.takeCallerOutput(), "at&s0=1\r");

    modem.callerHungUp(now);
    EXPECT_EQ(modem.takeBenchOutput(), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(modem.state(), CallState::Idle);
    // OK, not NO CARRIER again: that would make the bench hang up for ever.
    EXPECT_EQ(bench("ath0\r"), "ath0\r\r\nOK\r\n");
    EXPECT_EQ(bench("at&s0=0\r"), "at&s0=0\r\r\nOK\r\n");
    EXPECT_EQ(modem.reg(0), 0u);
    EXPECT_FALSE(modem.takeHangUpRequest());

    // A command cut off by the auto-answer goes to the caller and leaves nothing behind.
    EXPECT_EQ(call(), "\r\nRING\r\n");
    bench("at&s0=1\r");
    EXPECT_EQ(bench("at&s0"), "at&s0");
    advance(2s);
    EXPECT_EQ(modem.state(), CallState::Online);
    bench("=1\r");
    EXPECT_EQ(modem.takeCallerOutput(), "=1\r");
    modem.callerHungUp(now);
    modem.takeBenchOutput();
    EXPECT_EQ(bench("ath0\r"), "ath0\r\r\nOK\r\n");
    bench("at&s0=0\r");

    // The next caller rings until someone answers.
    EXPECT_EQ(call(), "\r\nRING\r\n");
    EXPECT_EQ(advance(2s), "\r\nRING\r\n");
    EXPECT_EQ(modem.state(), CallState::Ringing);
}

TEST_F(HayesModemTest, CallerGivingUpWhileRingingLeavesNoTrace)
{
    call();
    modem.callerHungUp(now);
    EXPECT_EQ(modem.takeBenchOutput(), "");
    EXPECT_EQ(modem.state(), CallState::Idle);
    EXPECT_EQ(advance(5s), "");
    EXPECT_EQ(modem.reg(1), 0u);
    EXPECT_EQ(modem.nextDeadline(), std::nullopt);
}

TEST_F(HayesModemTest, HangUpWhileRingingKeepsRinging)
{
    call();
    EXPECT_EQ(bench("ATH0\r"), "ATH0\r\r\nOK\r\n");
    EXPECT_FALSE(modem.takeHangUpRequest());
    EXPECT_EQ(advance(2s), "\r\nRING\r\n");
}

TEST_F(HayesModemTest, EscapeNeedsGuardTimeBeforeAndAfter)
{
    connectCall();
    advance(1s);
    EXPECT_EQ(bench("+++"), "");
    EXPECT_EQ(modem.takeCallerOutput(), "+++"); // the caller still gets them
    EXPECT_EQ(modem.nextDeadline(), now + 1s);
    EXPECT_EQ(advance(999ms), "");
    EXPECT_EQ(advance(1ms), "\r\nOK\r\n");
    EXPECT_EQ(modem.state(), CallState::OnlineCommand);

    EXPECT_EQ(bench("ATS1?\r"), "ATS1?\r\r\n001\r\n\r\nOK\r\n");
    EXPECT_EQ(bench("ATO\r"), "ATO\r\r\nCONNECT 9600\r\n");
    EXPECT_EQ(modem.state(), CallState::Online);

    // Too soon after data: no escape.
    advance(1s);
    bench("x");
    advance(500ms);
    bench("+++");
    EXPECT_EQ(advance(5s), "");
    // Characters too far apart: no escape.
    bench("+");
    advance(1100ms);
    bench("++");
    EXPECT_EQ(advance(5s), "");
    // Data within the guard time after the third "+": no escape.
    bench("+++");
    advance(500ms);
    bench("a");
    EXPECT_EQ(advance(5s), "");
    // Four of them: no escape.
    bench("++++");
    EXPECT_EQ(advance(5s), "");
    EXPECT_EQ(modem.state(), CallState::Online);

    // The escape character and guard time come from S2 and S12.
    bench("+++");
    advance(2s);
    bench("ATS2=45S12=5O\r");
    advance(1s);
    bench("---");
    EXPECT_EQ(advance(99ms), "");
    EXPECT_EQ(advance(1ms), "\r\nOK\r\n");

    // No guard time: the third character escapes at once, whatever came before it.
    bench("ATS12=0O\r");
    bench("x---");
    EXPECT_EQ(modem.nextDeadline(), now);
    EXPECT_EQ(advance(0ms), "\r\nOK\r\n");
}

TEST_F(HayesModemTest, HangUpEndsHeldCallAndCallerHangUpReportsNoCarrier)
{
    connectCall();
    EXPECT_TRUE(modem.busy());
    advance(1s);
    bench("+++");
    advance(1s);
    EXPECT_EQ(bench("ATH\r"), "ATH\r\r\nOK\r\n");
    EXPECT_TRUE(modem.takeHangUpRequest());
    EXPECT_EQ(modem.state(), CallState::Idle);
    EXPECT_FALSE(modem.busy());

    // Hung up from the far end while held in command mode.
    connectCall();
    advance(1s);
    bench("+++");
    advance(1s);
    modem.takeBenchOutput();
    modem.callerHungUp(now);
    EXPECT_EQ(modem.takeBenchOutput(), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(modem.takeHangUpRequest());

    // ATZ on a held call hangs up too.
    connectCall();
    advance(1s);
    bench("+++");
    advance(1s);
    EXPECT_EQ(bench("ATZ\r"), "ATZ\r\r\nOK\r\n");
    EXPECT_TRUE(modem.takeHangUpRequest());
}

TEST_F(HayesModemTest, DsrFollowsTheCallUnderAmpersandS1)
{
    EXPECT_TRUE(modem.dsr());
    bench("AT&S1\r");
    EXPECT_FALSE(modem.dsr());
    connectCall();
    EXPECT_TRUE(modem.dsr());
    modem.callerHungUp(now);
    EXPECT_FALSE(modem.dsr());
    modem.takeBenchOutput();
    EXPECT_EQ(bench("AT&S2\r"), "AT&S2\r\r\nERROR\r\n");
    bench("AT&S\r"); // no number: &S0
    EXPECT_TRUE(modem.dsr());
}
