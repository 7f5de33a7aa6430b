// The room manager: a panel over the main window's options that lists the room files, shows
// the selected room's details and top view, and offers room test mode, deletion, a re-read of
// the rooms folder and the room kit.
#include "app/app.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Multiline_Output.H>
#include <FL/Fl_Output.H>

#include "app/layout.h"
#include "app/widgets.h"
#include "session/errors.h"
#include "driver/room_manager.h"
#include "maze/directions.h"
#include "maze/maze_picture.h"
#include "picture/inside_view.h"
#include "picture/room_picture.h"

namespace tessellon::app {

namespace {

constexpr int kPanelW = 1000, kPanelH = 666;
// The two views side by side above the details: the top view square, the view from inside
// in the game's 16:9.
constexpr int kTopView = 240;
constexpr int kInsideViewW = 456, kInsideViewH = 256;
constexpr int kViewsH = kInsideViewH + 22;
constexpr int kBadge = 120;  // the connections and test mode pictures
constexpr const char* kInsideViewCaption = "From inside its first doorway, at eye height";

// How the selected room joins its neighbours before it is turned: its open sides as corridors.
RgbImage ConnectionPicture(const std::string& roomType) {
    RgbImage image(kBadge, kBadge, {246, 244, 238});
    RoomRecord probe;
    probe[kColRoomType] = roomType;
    const auto type = probe.WholeNumber(kColRoomType);
    const Rgb room = type == kBlockedRoomType ? Rgb{150, 150, 150} : Rgb{62, 70, 84};
    image.FillRect(38, 38, 44, 44, room);
    const Rgb open{30, 170, 60};
    for (int side : OpenSidesOfType(type.value_or(-1))) {
        if (side == kNorth) image.FillRect(51, 8, 18, 30, open);
        if (side == kSouth) image.FillRect(51, 82, 18, 30, open);
        if (side == kEast) image.FillRect(82, 51, 30, 18, open);
        if (side == kWest) image.FillRect(8, 51, 30, 18, open);
    }
    return image;
}

// Room test mode's badge: a padlock, shut and amber while the mode is on.
RgbImage TestModePicture(bool on) {
    RgbImage image(kBadge, kBadge, {246, 244, 238});
    const Rgb c = on ? Rgb{225, 150, 20} : Rgb{170, 175, 180};
    const Rgb paper{246, 244, 238};
    image.FillCircle({60, 44}, 22, c);
    image.FillCircle({60, 44}, 14, paper);
    if (!on) image.FillRect(67, 34, 17, 26, paper);  // the shackle stands open
    image.FillRect(32, 51, 56, 44, c);
    image.FillCircle({60, 69}, 5, paper);
    image.FillRect(58, 70, 5, 12, paper);
    return image;
}

}  // namespace

void App::BuildRoomManager() {
    roomManager_ = new CoverPanel(0, 0, kPanelW, kPanelH);
    roomManager_->box(FL_FLAT_BOX);
    roomManager_->color(fl_rgb_color(226, 228, 232));
    Name(roomManager_, "RoomManagerFrame");
    auto* title = new Fl_Box(20, 8, 400, 30, "Room Manager");
    title->labelfont(FL_HELVETICA_BOLD);
    title->labelsize(20);
    title->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    roomList_ = new Fl_Hold_Browser(20, 66, 230, 514, "Availible Rooms:");
    roomList_->align(FL_ALIGN_TOP_LEFT);
    roomList_->labelsize(12);
    roomList_->textsize(12);
    Name(roomList_, "RoomList");
    On(roomList_, [this] { ShowRoomDetails(); });
    Text(20, 588, 230, 58,
         "Tessellon SDK makes room files: start a room for Hammer, import a finished map as a room and "
         "check rooms. Press Refresh afterwards to see new rooms here.",
         11)
        ->labelcolor(fl_rgb_color(70, 70, 70));

    roomPicture_ = new PictureBox(270, 66, kTopView, kViewsH);
    roomPicture_->SetCaption("Seen from above, north up");
    Name(roomPicture_, "Picture3");
    testModeNote_ = Text(280, 76, kTopView - 20, kTopView, "", 14);
    testModeNote_->hide();
    Name(testModeNote_, "TestModeNote");
    roomInsideView_ = new PictureBox(520, 66, kInsideViewW + 4, kViewsH);
    roomInsideView_->SetCaption(kInsideViewCaption);
    Name(roomInsideView_, "RoomInsideView");
    auto* legend = Text(270, 348, 710, 32,
                        "Above: floor light, walls dark, brush entities blue, doorways green; characters red, pickups "
                        "orange, lights yellow, player start green, props brown. Inside: the same marks, props as "
                        "boxes, lit by the room's lights.",
                        11);
    legend->labelcolor(fl_rgb_color(70, 70, 70));

    auto* details = Frame(270, 404, 370, 242, "Details");
    Name(details, "Frame7");
    static const char* const kLabels[] = {"Room Name:", "Type:", "Genre:", "Size:", "Author:"};
    static const char* const kNames[] = {"RM_RoomName", "RM_RoomType", "RM_Genre", "RM_Size", "RM_Author"};
    for (int i = 0; i < 5; ++i) {
        auto* box = new Fl_Output(370, 414 + i * 28, 258, 24, kLabels[i]);
        box->labelsize(12);
        box->textsize(12);
        Name(box, kNames[i]);
        roomDetails_.push_back(box);
    }
    roomDescription_ = new Fl_Multiline_Output(370, 556, 258, 82, "Description:");
    roomDescription_->labelsize(12);
    roomDescription_->textsize(12);
    roomDescription_->wrap(1);
    Name(roomDescription_, "RM_Description");
    details->end();

    roomConnections_ = new PictureBox(648, 404, 162, kBadge + 22);
    roomConnections_->SetCaption("Connections");
    Name(roomConnections_, "Picture4");
    testModePicture_ = new PictureBox(818, 404, 162, kBadge + 22);
    testModePicture_->SetPicture(TestModePicture(false));
    testModePicture_->SetCaption("Room test mode: off");
    Name(testModePicture_, "Picture5");

    testRoom_ = new Fl_Button(648, 552, 162, 28, "Test This Room");
    Name(testRoom_, "Command7");
    On(testRoom_, [this] { ToggleRoomTestMode(); });
    deleteRoom_ = new Fl_Button(818, 552, 162, 28, "Delete This Room");
    Name(deleteRoom_, "Command8");
    On(deleteRoom_, [this] { DeleteSelectedRoom(); });
    auto* refresh = new Fl_Button(648, 585, 162, 28, "Refresh");
    Name(refresh, "Command11");
    On(refresh, [this] { RefreshRooms(); });
    auto* kit = new Fl_Button(818, 585, 162, 28, "Launch Tessellon SDK");
    Name(kit, "Command9");
    On(kit, [this] { tessellon::LaunchRoomKit(s_); });
    auto* close = new Fl_Button(818, 618, 162, 28, "Close");
    // The longest caption, "Restore Room Test Mode", fits its button at this size.
    for (Fl_Widget* b :
         {static_cast<Fl_Widget*>(testRoom_), static_cast<Fl_Widget*>(deleteRoom_), static_cast<Fl_Widget*>(refresh),
          static_cast<Fl_Widget*>(kit), static_cast<Fl_Widget*>(close)})
        b->labelsize(13);
    Name(close, "Command10");
    On(close, [this] {
        roomManager_->hide();
        main_->redraw();
    });
    roomManager_->end();
    roomManager_->hide();
}

void App::OpenRoomManager() {
    if (!s_.RoomTestMode) RefreshRooms();
    roomManager_->Cover();
    main_->redraw();
}

int App::SelectedRoom() const { return roomList_->value() - 1; }

void App::RefreshRoomList() {
    const int remembered = SelectedRoom();
    roomList_->clear();
    for (const std::string& entry : RoomListEntries(s_.RoomCatalogue)) roomList_->add(entry.c_str());
    Fl::check();
    const int index = ReselectIndex(remembered, roomList_->size());
    if (index >= 0) roomList_->select(index + 1);
    const bool any = roomList_->size() > 0;
    for (Fl_Widget* w : {static_cast<Fl_Widget*>(testRoom_), static_cast<Fl_Widget*>(deleteRoom_),
                         static_cast<Fl_Widget*>(roomPicture_), static_cast<Fl_Widget*>(roomInsideView_),
                         static_cast<Fl_Widget*>(roomConnections_)}) {
        if (any) w->activate();
        else w->deactivate();
    }
    ShowRoomDetails();
}

void App::RefreshRooms() {
    try {
        if (!tessellon::RefreshRooms(s_)) return;
    } catch (const ProgramEnd& e) {
        EndProgram(e);
        return;
    }
    RefreshRoomList();
    if (roomList_->size() > 0 && roomList_->value() == 0) {
        roomList_->select(1);
        ShowRoomDetails();
    }
}

void App::ShowRoomDetails() {
    const int index = SelectedRoom();
    const RoomDetails d = DetailsOf(s_, index);
    const std::string* texts[] = {&d.name, &d.type, &d.genre, &d.size, &d.author};
    for (std::size_t i = 0; i < roomDetails_.size(); ++i) roomDetails_[i]->value(texts[i]->c_str());
    roomDescription_->value(d.description.c_str());
    if (index < 0 || index >= s_.RoomCatalogue.RoomCount()) {
        roomPicture_->SetPicture(RgbImage());
        roomInsideView_->SetPicture(RgbImage());
        roomInsideView_->SetCaption(kInsideViewCaption);
        roomConnections_->SetPicture(RgbImage());
        return;
    }
    const RoomRecord& row = s_.RoomCatalogue.Row(index + 1);
    const std::filesystem::path file = s_.programFolder / "rooms" / FileNamePart(row.FilePath());
    const RoomView view = DrawRoomTopView(file, kTopView - 4, kTopView - 4);
    roomPicture_->SetPicture(view.image);
    roomPicture_->SetCaption(view.brushes > 0 ? "Seen from above, north up" : view.problem);
    ShowInsideView(file);
    roomConnections_->SetPicture(ConnectionPicture(row[kColRoomType]));
}

void App::ShowInsideView(const std::filesystem::path& roomFile) {
    const ViewFile room = ReadViewFile(roomFile);
    if (!room.readable || room.scene.Bodies() == 0 || !room.doorway) {
        roomInsideView_->SetPicture(RgbImage());
        if (!room.readable) roomInsideView_->SetCaption(room.problem);
        else if (room.scene.Bodies() == 0) roomInsideView_->SetCaption("The room has nothing to draw.");
        else roomInsideView_->SetCaption("The room has no doorway to look in from.");
        return;
    }
    roomInsideView_->SetPicture(room.scene.Render(*room.doorway, kInsideViewW, kInsideViewH));
    roomInsideView_->SetCaption(kInsideViewCaption);
}

void App::SetCaption() {
    captionText_ = "Tessellon 0.9.34";
    if (s_.RoomTestMode) captionText_ += kTestModeCaption;
    main_->label(captionText_.c_str());
}

void App::ToggleRoomTestMode() {
    if (!s_.RoomTestMode) {
        if (!EnterRoomTestMode(s_, SelectedRoom())) return;
        testRoom_->label("Restore Room Test Mode");
        roomPicture_->hide();
        testModeNoteText_ = "Room test mode is on.\n\nA build uses \"" +
                            s_.RoomCatalogue.Row(SelectedRoom() + 1).Name() +
                            "\" wherever a room of its type is needed; the other rooms of that type are blocked.\n\n"
                            "Press \"Restore Room Test Mode\" to lift the blocks.";
        testModeNote_->label(testModeNoteText_.c_str());
        testModeNote_->show();
        testModePicture_->SetPicture(TestModePicture(true));
        testModePicture_->SetCaption("Room test mode: ON");
        SetCaption();
        ShowRoomDetails();
        return;
    }
    try {
        LeaveRoomTestMode(s_);
    } catch (const ProgramEnd& e) {
        EndProgram(e);
        return;
    }
    ShowTestModeOff();
    RefreshRoomList();
}

void App::ShowTestModeOff() {
    testRoom_->label("Test This Room");
    testModeNote_->hide();
    roomPicture_->show();
    testModePicture_->SetPicture(TestModePicture(false));
    testModePicture_->SetCaption("Room test mode: off");
    SetCaption();
}

void App::DeleteSelectedRoom() {
    const bool wasTesting = s_.RoomTestMode;
    try {
        if (DeleteRoom(s_, SelectedRoom()) != DeleteOutcome::Deleted) return;
    } catch (const ProgramEnd& e) {
        EndProgram(e);
        return;
    }
    if (wasTesting && !s_.RoomTestMode) ShowTestModeOff();
    RefreshRoomList();
}

void App::ShowMazePreview(const MazePicture& picture) {
    if (!drawLine_) {
        drawLine_ = new Fl_Double_Window(MazePicture::kWidth, MazePicture::kHeight, "DrawLine");
        drawLinePicture_ = new PictureBox(0, 0, MazePicture::kWidth, MazePicture::kHeight);
        drawLinePicture_->box(FL_NO_BOX);
        Name(drawLinePicture_, "TestSurf");
        drawLine_->end();
        Name(drawLine_, "DrawLine");
    }
    drawLinePicture_->SetPicture(picture);
    drawLine_->show();
    Fl::check();
}

void App::MakeMazeBatch(int count) {
    if (building_) return;
    building_ = true;
    try {
        Make100Maps(s_, count);
    } catch (const BuildFailure& e) {
        MessageBox("Make100Maps", e.what(), BoxIcon::Critical, BoxButtons::Ok);
    } catch (const ProgramEnd& e) {
        building_ = false;
        EndProgram(e);
        return;
    }
    building_ = false;
}

}  // namespace tessellon::app
