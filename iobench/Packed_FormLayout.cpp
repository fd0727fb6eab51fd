// Where every control of the bench window sits, in twips: frames relative to the client area,
// controls relative to their frame. The window opens tall enough for the lowest frame (MOMO I/O)
// so that nothing Tab reaches is hidden; the border is sizable, and nothing moves when it is
// resized.
#include "iobench/Packed_Form.h"

namespace iobench {

void Packed_Form::buildLayout()
{
    // The captions were sized for a small 8-point sans face (Arial's metrics); a wider one wraps
    // and clips them. Where that face is missing Qt picks the nearest.
    setFont(toolkit::Font{"Liberation Sans", 8});
    // Down to the MOMO I/O frame's lower edge (5160 + 2175) and a margin like the one above it.
    setClientSize(8505, 7455);
    setSizable(true);

    openadapter_frame.move(0, 0, 2895, 2295);
    openadapter_label.move(480, 240, 1935, 495);
    boardid_textbox.move(1080, 720, 735, 285);
    openadapter_button.move(720, 1200, 1455, 375);
    open_kx9_button.move(720, 1680, 1455, 375);

    drivererror_frame.move(0, 2280, 2895, 1575);
    Label7.move(240, 240, 2415, 255);
    errormessage_textbox.move(480, 600, 1815, 375);
    clearerror_button.move(720, 1080, 1455, 375);

    Special_Frame.move(0, 3840, 2895, 1215);
    enabledebug_button.move(120, 480, 1215, 375);
    disabledebug_button.move(1560, 480, 1215, 375);
    // In the free strip below the debug switches, inside the first client area; hidden until
    // the simulator is loaded. Black on yellow, as a warning, not an error.
    simulated_label.move(120, 900, 2655, 255);
    simulated_label.setAlignment(toolkit::Align::Center);
    simulated_label.setFont(toolkit::Font{nullptr, 0, true});
    simulated_label.setBackColor(toolkit::Color{255, 255, 0});
    simulated_label.setVisible(false);

    selectbus_frame.move(120, 5280, 2655, 1215);
    selectbus_label.move(360, 240, 2175, 495);
    busnumber_textbox.move(960, 720, 735, 285);

    configpoint_frame.move(3000, 0, 2655, 1575);
    configpoint_label.move(240, 240, 2055, 255);
    configmask_textbox.move(480, 600, 1815, 375);
    configpoints_button.move(480, 1080, 1575, 375);

    Frame1.move(3000, 1680, 2655, 3255);
    Term.move(360, 840, 1935, 735);
    txtAtemps.move(600, 1800, 495, 495);
    txtPassed.move(1680, 1800, 495, 495);
    Text1.move(720, 2400, 255, 285);
    Text2.move(1800, 2400, 255, 285);
    cmdStart.move(3480, 4440, 1575, 375);

    momoio_frame.move(3000, 5160, 2655, 2175);
    momoio_label1.move(120, 240, 2415, 255);
    muston_textbox.move(360, 480, 2055, 375);
    momoio_label2.move(120, 960, 2415, 255);
    mustoff_textbox.move(360, 1200, 2055, 375);
    momo_button.move(480, 1680, 1815, 375);

    writeio_frame.move(5760, 0, 2655, 3015);
    writeio_label.move(480, 360, 1815, 255);
    writemask_textbox.move(480, 600, 1815, 375);
    writeio_button.move(480, 1200, 1815, 375);
    readio_label.move(120, 1800, 2415, 255);
    iostatus_textbox.move(480, 2160, 1815, 375);

    closeadapter_frame.move(5760, 3240, 2655, 735);
    closeadapter_button.move(840, 240, 1455, 375);

    Exit.move(5760, 4200, 2655, 735);
    Exit_Packed.move(600, 240, 1455, 375);

    Label1.move(5760, 4920, 1695, 255);

    readio_frame.move(5760, 5280, 2655, 1695);
    readio_button.move(120, 480, 1815, 375);

    // The controls of the closed state start disabled; so does Start and the error box.
    for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{
             &selectbus_frame, &selectbus_label, &busnumber_textbox, &configpoint_frame, &configpoint_label,
             &configmask_textbox, &configpoints_button, &cmdStart, &momoio_frame, &momoio_label1,
             &muston_textbox, &momoio_label2, &mustoff_textbox, &momo_button, &writeio_frame, &writeio_label,
             &writemask_textbox, &writeio_button, &readio_label, &iostatus_textbox, &closeadapter_frame,
             &closeadapter_button, &readio_frame, &readio_button, &errormessage_textbox})
        c->setEnabled(false);
}

} // namespace iobench
