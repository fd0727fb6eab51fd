// Building the decoder window: controls, layout in twips, tab order, handler wiring.
#include "runecast/runecast.h"

#include "toolkit/Dispatch.h"
#include "runecast/Fonts.h"

namespace runecast {

namespace {

using toolkit::Align;

constexpr int kRowHeight = 240;
constexpr int kIndicatorSize = 285;
constexpr int kGridTop = 600;
constexpr int kGridSide = 2055;
// Column 0 ends where the indicators begin (1680 twips into the grid, less the grid's frame),
// so each indicator covers its row's second cell; column 1 takes the rest.
constexpr int kLabelColumn = 1650;
constexpr int kIndicatorColumn = 345;

constexpr std::array<const char*, 8> kDzIndicatorNames = {"Text1", "Text3", "Text4", "Text5",
                                                          "Text6", "Text7", "Text8", "Text9"};
constexpr std::array<const char*, 8> kCsIndicatorNames = {"Text11", "Text12", "Text13", "Text14",
                                                          "Text15", "Text16", "Text17", "Text18"};
constexpr std::array<const char*, 8> kDsIndicatorNames = {"Text22", "Text23", "Text24", "Text25",
                                                          "Text26", "Text27", "Text28", "Text29"};

constexpr const char* kText32Note = "Not used on Futura or Meridia .";
constexpr const char* kText33Note = "*Note: This is a program error and should be reported to NDX.";

// Places a label or box and centres its text.
template <class Box>
void placeCentred(Box& box, int left, int top, int width, int height)
{
    box.move(left, top, width, height);
    box.setAlignment(Align::Center);
}

// A note box: bold, its text fixed, hidden until needed, over what it stands on.
void placeNote(toolkit::TextBox& note, const char* text, int left, int top, int width, int height)
{
    note.move(left, top, width, height);
    note.setFont(fonts::msSansSerif(8.25, true));
    note.setText(text);
    note.setLocked(true);
    note.setVisible(false);
    note.bringToFront();
}

void placeGrid(toolkit::Grid& grid, int left)
{
    grid.move(left, kGridTop, kGridSide, kGridSide);
    grid.setRowHeight(kRowHeight);
    grid.setColWidth(0, kLabelColumn);
    grid.setColWidth(1, kIndicatorColumn);
    grid.setFont(fonts::msSansSerif(8.25));
}

} // namespace

runecast::runecast()
    : Window("runecast"), Label1(*this, "Label1", "DZ"), Text2(*this, "Text2"), MSFlexGrid1(*this, "MSFlexGrid1", 8, 2),
      Label3(*this, "Label3", "Type of service"), Text19(*this, "Text19"), Text20(*this, "Text20"),
      Label2(*this, "Label2", "CS"), Text10(*this, "Text10"), MSFlexGrid2(*this, "MSFlexGrid2", 8, 2),
      Label4(*this, "Label4", "DS"), Text21(*this, "Text21"), MSFlexGrid3(*this, "MSFlexGrid3", 8, 2),
      Option1(*this, "Option1", "Futura"), Option2(*this, "Option2", "Meridia"),
      Label6(*this, "Label6", "Definition"), Text32(*this, "Text32"),
      Text31(*this, "Text31", toolkit::TextBox::Kind::MultiLine), Label5(*this, "Label5", "Error code lookup"),
      Text30(*this, "Text30"), VScroll1(*this, "VScroll1", 0, 32767),
      Text33(*this, "Text33", toolkit::TextBox::Kind::MultiLine)
{
    dzIndicators = makeIndicators(kDzIndicatorNames, 1680);
    csIndicators = makeIndicators(kCsIndicatorNames, 5640);
    dsIndicators = makeIndicators(kDsIndicatorNames, 7800);
    toolkit::describeControls(*this, kRunecastDescriptions);
    layOut();
    setTabOrder();
    Option1.setValue(true); // the design-time choice, before any handler is attached
    connectHandlers();
    MSFlexGrid1.setFocus();
    toolkit::dispatch([this] { Form_Load(); });
}

Indicators runecast::makeIndicators(std::array<const char*, 8> names, int left)
{
    Indicators indicators;
    for (int row = 0; row < 8; ++row) {
        auto box = std::make_unique<toolkit::TextBox>(*this, names[static_cast<size_t>(row)]);
        box->move(left, kGridTop + kRowHeight * row, kIndicatorSize, kIndicatorSize);
        box->setBackColor(toolkit::colors::red);
        box->setLocked(true); // a lamp, not an input
        box->setVisible(false);
        box->bringToFront(); // over the grid's second cell
        indicators[static_cast<size_t>(row)] = std::move(box);
    }
    return indicators;
}

void runecast::layOut()
{
    setCaption("Runecast");
    setFont(fonts::msSansSerif(8.25));
    setClientSize(8340, 5955);

    placeCentred(Label1, 0, 0, 2055, 255);
    placeCentred(Text2, 0, 240, 2055, 375);
    placeGrid(MSFlexGrid1, 0);

    placeCentred(Label3, 2160, 0, 1815, 255);
    placeCentred(Text19, 2280, 240, 495, 375);
    placeCentred(Text20, 2760, 240, 1215, 375);

    placeCentred(Label2, 3960, 0, 2055, 255);
    placeCentred(Text10, 3960, 240, 2055, 375);
    placeGrid(MSFlexGrid2, 3960);

    placeCentred(Label4, 6120, 0, 2055, 255);
    placeCentred(Text21, 6120, 240, 2055, 375);
    placeGrid(MSFlexGrid3, 6120);

    Option1.move(0, 2640, 2055, 555);
    Option2.move(0, 3120, 2055, 555);

    placeCentred(Label6, 3720, 2640, 2895, 495);
    Text31.move(3840, 3480, 4095, 2535);
    placeNote(Text32, kText32Note, 3840, 3120, 2775, 375);
    placeCentred(Label5, 0, 3720, 2055, 375);
    placeCentred(Text30, 0, 4080, 1695, 495);
    VScroll1.move(1800, 4080, 255, 495);
    VScroll1.setTabStop(true);
    placeNote(Text33, kText33Note, 3840, 5400, 4095, 735); // over the foot of the description box
}

void runecast::setTabOrder()
{
    std::vector<toolkit::Control*> order;
    order.push_back(&MSFlexGrid1);
    order.push_back(dzIndicators[0].get());
    order.push_back(&Text2);
    for (size_t i = 1; i < 8; ++i)
        order.push_back(dzIndicators[i].get());
    order.push_back(&Text10);
    order.push_back(&MSFlexGrid2);
    for (auto& box : csIndicators)
        order.push_back(box.get());
    order.push_back(&Text19);
    order.push_back(&Text20);
    order.push_back(&MSFlexGrid3);
    order.push_back(&Text21);
    for (auto& box : dsIndicators)
        order.push_back(box.get());
    // Tab stops once at the option pair, on the selected one.
    order.push_back(&Option1);
    order.push_back(&Option2);
    order.push_back(&Text30);
    order.push_back(&Text31);
    order.push_back(&VScroll1);
    order.push_back(&Text32);
    order.push_back(&Text33);
    Window::setTabOrder(order);
}

void runecast::connectHandlers()
{
    onUnload = [this](int& cancel) { Form_Unload(cancel); };
    Option1.onClick = [this] { Option1_Click(); };
    Option2.onClick = [this] { Option2_Click(); };
    Text2.onChange = [this] { Text2_Change(); };
    Text10.onChange = [this] { Text10_Change(); };
    Text21.onChange = [this] { Text21_Change(); };
    Text19.onChange = [this] { Text19_Change(); };
    Text30.onChange = [this] { Text30_Change(); };
    Text30.onKeyUp = [this](int keyCode, int shift) { Text30_KeyUp(keyCode, shift); };
    VScroll1.onChange = [this] { VScroll1_Change(); };
}

} // namespace runecast
