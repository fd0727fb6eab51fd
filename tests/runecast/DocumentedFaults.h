#pragma once
// The fault table as the controller's documentation gives it, transcribed apart from
// faults.tsv: the beginning of each description, whether that beginning is the whole text, and
// the actions on the two note boxes. The data file must agree with it byte for byte.
#include "runecast/FaultTable.h"

#include <ostream>

namespace runecast {
// Lets test failures name the action instead of dumping its bytes.
inline void PrintTo(NoteAction action, std::ostream* out)
{
    *out << (action == NoteAction::Show ? "show" : action == NoteAction::Hide ? "hide" : "keep");
}
} // namespace runecast

namespace decoder_tests {

struct DocumentedFault {
    int number;
    const char* beginning; // Windows-1252: \x92 is the typographic apostrophe
    bool wholeText;
    runecast::NoteAction text32;
    runecast::NoteAction text33;
};

namespace documented {
inline constexpr bool whole = true;
inline constexpr bool part = false;
inline constexpr auto show = runecast::NoteAction::Show;
inline constexpr auto hide = runecast::NoteAction::Hide;
inline constexpr auto keep = runecast::NoteAction::Keep;
} // namespace documented

// clang-format off
using namespace documented;
inline constexpr DocumentedFault kDocumentedFaults[] = {
    {1, "Division by zero.", whole, keep, show},
    {2, "Program Sequencing error.", whole, keep, keep},
    {3, "Real Time Clock program processing error.", part, keep, keep},
    {4, "Invalid internal car position (such as  zero).", whole, hide, keep},
    {5, " Bus Time-Out.", part, show, show},
    {6, "Invalid Motion Control sequence parameter.", part, hide, show},
    {7, "The calculated target to floor was negative during the Decel or leveling mode.", part, keep, hide},
    {8, "The velocity is 25% in excess of the contract speed.", part, keep, keep},
    {9, "  Panic motion fault error:", part, keep, keep},
    {10, " Digital Tach error:", part, keep, keep},
    {11, "Limit position reference error:", part, keep, keep},
    {12, "Floor preset parity error:", part, keep, keep},
    {13, "Invalid Direction error:", part, keep, keep},
    {14, "Terminal limit position error:", part, keep, keep},
    {15, "Position preset error:", part, keep, keep},
    {16, "Dispatch communication time-out:", part, keep, keep},
    {17, "Motion time-out:", part, keep, keep},
    {18, "Control response time-out:", part, keep, keep},
    {19, "Up Pilot and Down Pilot signal wire on at the same time.", part, keep, keep},
    {20, "Digital Tach loss time-out:", part, keep, hide},
    {21, "FLASH EPROM Read/Write error:", part, keep, hide},
    {22, "Terminal limit switch emergency slowdown:", part, hide, keep},
    {23, "DAR tach fault:", part, show, keep},
    {24, "Drive fault:", part, hide, hide},
    {25, "Start Sequence Error:", part, keep, keep},
    {26, "Motion Fault Error:", part, hide, keep},
    {27, "BK or MC control failure:", part, show, keep},
    {28, "The brake switch did not function.", part, hide, keep},
    {29, "Slowdown Terminal Limit Switch Error:", part, keep, keep},
    {30, "Car is moving without a demand velocity from CCU,", part, keep, keep},
    {31, "Car was on Next-Up (dispatch mode) and went into service protect mode.", part, keep, keep},
    {32, "Reserved", whole, keep, keep},
    {33, "Reserved", whole, keep, keep},
    {34, "Reserved", whole, keep, keep},
    {35, "Look-ahead distance calculated too short.", part, keep, keep},
    {36, "Variable has wrong value", whole, keep, keep},
    {37, "ETS error: The car velocity was greater than the ETS velocity", part, show, keep},
    {38, "ETS error: The ETS velocity speed check output was activated", part, show, keep},
    {39, " ETS error: The ETS speed check output was activated but the car was not moving.", part, show, keep},
    {40, "Level velocity was too high when the car reached the final leveling.", part, hide, hide},
    {41, "Trying to re-level in level mode.", whole, hide, show},
    {42, "Doing a final stop in wrong digitizer mode.", whole, keep, show},
    {43, "High velocity when doors are opened.", part, keep, hide},
    {44, "The gate and lock (GLR) input did not make when the doors were fully closed.", whole, keep, hide},
    {45, "The door closed limit (DCL) input did not make when the doors closed.", whole, keep, hide},
    {46, "The door open limit (DOL) input did not make when then doors open.", whole, keep, hide},
    {47, "Reserved", whole, keep, hide},
    {48, "Reserved", whole, keep, hide},
    {49, "Reserved", whole, keep, hide},
    {50, "The generator voltage increased when the CPU was not trying to run the car.", part, keep, hide},
    {51, "The SUF input did not occur during a run.", part, keep, hide},
    {52, "Car out of Mid level zone with the gate and lock input not made (GLR).", part, keep, hide},
    {53, "Car out of mid level zone and moving with the gate and lock input", part, keep, hide},
    {54, "Up or Down tach motion detected 1.5 seconds after the brake dropped.", whole, keep, hide},
    {55, "SCR temperature overload activated.", whole, keep, hide},
    {56, "Max run timer timed-out during a run.", part, keep, hide},
    {57, "An interrupt error has occurred in the processor.", part, keep, hide},
    {58, " An auto fault reset has occurred.", part, keep, hide},
    {59, "Up or Down motion but no Up or Down relay.", whole, keep, hide},
    {60, "Up or Down relay but no Up or Down motion.", whole, keep, hide},
    {61, "Car did not decelerate during a drive fault.", whole, keep, hide},
    {62, "Drive had a frequency over speed.", whole, keep, hide},
    {63, "Drive went into Base Block during a run.", whole, keep, hide},
    {64, "Rope Gripper fault error.", whole, keep, hide},
    {65, "Gripper time trip expires", whole, keep, hide},
    {66, "Both ACU & ACD input modules on simultaneously,", part, keep, hide},
    {67, "Both PTU & PTD input modules on simultaneously,", part, keep, hide},
    {68, "Both TIU & TID input modules on simultaneously,", part, keep, hide},
    {69, "Top slowdown limit switch open while in bottom access mode.", whole, keep, hide},
    {70, "Bottom slowdown limit switch open while in top access mode.", whole, keep, hide},
    {71, "VFC device error has occurred.", whole, keep, hide},
    {72, "Brake device error has occurred.", whole, keep, hide},
    {73, "Motor field device error has occurred.", whole, keep, hide},
    {74, "Communication packets were lost on local COMM port", part, keep, hide},
    {75, "Communication packets were lost on car COMM port", part, keep, hide},
    {76, "Communication packets to the CPT board were lost while the car was moving.", whole, keep, hide},
    {77, "Motor field device error.", part, keep, hide},
    {78, "Lost the GV (Governor) input while the car was moving.", whole, keep, hide},
    {79, "Lost the HS (Hatch Safety) input while the car was moving.", whole, keep, hide},
    {80, "Lost the CS (Car Safety) input while the car was moving.", whole, keep, hide},
    {81, "Lost the ICS (In-Car Stop Switch) input while the car was moving.", whole, keep, hide},
    {82, "Lost the DRV (Drive) module input while the car was moving.", whole, keep, hide},
    {83, "Lost the RDY (Ready) module input while the car was moving.", whole, keep, hide},
    {84, "Lost the SM (System Master) module input while the car was moving.", whole, keep, hide},
    {85, "Lost the MC (Master Contactor) input while the car was moving.", whole, keep, hide},
    {86, "Lost the BK (Brake Contactor) input while the car was moving.", whole, keep, hide},
    {87, "Car cannot be a master (dispatcher).", part, keep, hide},
    {88, "Real time clock control interrupt failed.", part, keep, hide},
    {89, "Dispatch sequencer clock interrupt failed.", part, keep, hide},
    {90, "Second interrupt timer failed.", whole, keep, hide},
    {91, "In car inspection input module on while car was on auto", part, keep, hide},
    {92, "GL and GL1 input modules on when door reached full open", part, keep, hide},
    {93, "SMI board OR other device powered up reset after previous initialization.", whole, keep, hide},
    {94, "EMSD was lost unexpectedly:", part, keep, hide},
    {95, "Drive tach not in UP direction when car running up.", whole, keep, hide},
    {96, "SPU board tach not in UP direction when car running up.", whole, keep, hide},
    {97, "VFC board tach not in UP direction when car running up.", whole, keep, hide},
    {98, "Drive tach not in DOWN direction when car running down.", whole, keep, hide},
    {99, "SPU board tach not in DOWN direction when car running down.", whole, keep, hide},
    {100, "VFC board tach not in DOWN direction when car running down", whole, keep, hide},
    {101, "Car did not decelerate as expected in an emergency stop.", whole, keep, hide},
    {102, "VFC board tach not in UP direction when car running up", part, keep, hide},
    {103, "VFC board tach not in down direction when running car down", part, keep, hide},
    {104, "DZ on MRC board not on when expected (on from the CPT)", whole, keep, hide},
    {105, "DZ on TOC board not on when expected (on from the CPT)", whole, keep, hide},
    {106, "DPP count off by more than 5 counts when car is level at floor.", whole, keep, hide},
    {107, "Both UP and DOWN motion true during DPP interrupt.", part, keep, hide},
    {108, "No UP or DOWN motion during DPP interrupt.", part, keep, hide},
    {109, "DZ signal from MRC board & TOC board is on", part, keep, hide},
    {110, "Car tried to re-level 25 consecutive times.", whole, keep, hide},
    {111, "SPU velocity feedback zero when demand > 40 fpm.", part, keep, hide},
    {112, "VFC velocity feedback zero when demand > 40 fpm.", part, keep, hide},
    {113, "VFC-HS velocity feedback zero when demand > 40 fpm.", part, keep, hide},
    {114, "GL lost during a start sequence.", whole, keep, hide},
    {115, "GL1 lost during a start sequence.", whole, keep, hide},
    {116, "LVE not dropped during a start sequence.", whole, keep, hide},
    {117, "Multiple cars master at the same time.", whole, keep, hide},
    {118, "Too many Hall Call (HC) devices selected.", whole, keep, hide},
    {119, "Tach velocity greater than window.", whole, keep, hide},
    {120, "Brake did not lift when expected:", part, keep, hide},
    {121, "Brake did not drop when expected:", part, keep, hide},
    {122, "Deceleration roll error:", part, keep, hide},
    {123, "Car was placed on gate and lock bypass while the car is on inspection", part, keep, hide},
    {124, "BKC output was turned on but SM and MC did not turn on", part, keep, hide},
    {125, "Car EEPROM checksum error.", whole, keep, hide},
    {126, "Car battery RAM checksum error.", whole, keep, hide},
    {127, "Car EEPROM and battery RAM checksum error.", whole, keep, hide},
    {128, "Group EEPROM checksum error.", whole, keep, hide},
    {129, "Group battery RAM checksum error.", whole, keep, hide},
    {130, "Group EEPROM and battery RAM checksum error.", whole, keep, hide},
    {131, "Invalid access code EEPROM byte write.", whole, keep, hide},
    {132, "Invalid access code EEPROM word write.", whole, keep, hide},
    {133, "Selector up advance error (Overlay\x92s only).", whole, keep, hide},
    {134, "Selector down advance error (Overlay\x92s only).", whole, keep, hide},
    {135, "Load weigher offset error.", part, keep, hide},
    {136, "SPU thermal switch fault.", part, keep, hide},
    {137, "There was a one floor run detection but no slowdown when the position changed.", part, keep, hide},
    {138, "Selector error for Westinghouse overlay controller.", whole, keep, hide},
    {139, "Terminal position error for Westinghouse overlay controller.", whole, keep, hide},
    {140, "ETS Up limit error:", part, keep, hide},
    {141, "ETS Up Software limit error:", part, keep, hide},
    {142, "ETS Down limit error:", part, keep, hide},
    {143, "ETS Down Software limit error:", part, keep, hide},
    {144, "Low Battery Flag has been set by the SPU.", whole, keep, hide},
    {145, "LTR rate set too low during emergency deceleration at terminal limit.", whole, keep, hide},
};
// clang-format on

} // namespace decoder_tests
