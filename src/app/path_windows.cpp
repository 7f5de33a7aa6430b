// The account window ("Select User Account") and the Steam folder window ("Specify Steam
// Manually"). Their logic is AccountChooser and SteamPathChooser; this is what they look like.
#include "app/app.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Output.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/folder_list.h"
#include "session/errors.h"

namespace tessellon::app {

namespace fs = std::filesystem;

namespace {

template <class F>
void Bind(Fl_Widget* w, F f) {
    auto* held = new F(std::move(f));  // lives as long as the program's windows
    w->callback([](Fl_Widget*, void* p) { (*static_cast<F*>(p))(); }, held);
}

Fl_Box* Note(int x, int y, int w, int h, const char* text, int size = 12) {
    auto* b = new Fl_Box(x, y, w, h, text);
    b->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    b->labelsize(size);
    return b;
}

// An arrow pointing right at the folder list, drawn in the window's found/not-found colour.
class Arrow : public Fl_Widget {
public:
    Arrow(int x, int y, int w) : Fl_Widget(x, y, w, 12) {}
    void draw() override {
        fl_color(color());
        fl_line_style(FL_SOLID, 3);
        const int cy = y() + h() / 2;
        fl_line(x(), cy, x() + w() - 4, cy);
        fl_line(x() + w() - 12, cy - 5, x() + w() - 3, cy);
        fl_line(x() + w() - 12, cy + 5, x() + w() - 3, cy);
        fl_line_style(0);
    }
};

Fl_Color FromVbColour(int colour) {
    // The colour values are the old BGR form: 255 red, 65280 green.
    return fl_rgb_color(static_cast<uchar>(colour & 0xFF), static_cast<uchar>((colour >> 8) & 0xFF),
                        static_cast<uchar>((colour >> 16) & 0xFF));
}

std::vector<std::string> DriveRoots() {
    std::vector<std::string> roots;
#ifdef _WIN32
    for (char d = 'a'; d <= 'z'; ++d) {
        std::error_code ec;
        const std::string root = std::string(1, d) + ":\\";
        if (fs::exists(root, ec)) roots.push_back(std::string(1, d) + ":");
    }
#else
    roots.push_back("/");
    if (const char* home = std::getenv("HOME"); home && *home) roots.push_back(home);
#endif
    return roots;
}

}  // namespace

void App::BuildAccountWindow() {
    account_ = new Fl_Double_Window(520, 420, "Select User Account");
    Name(account_, "AccountWindow");
    auto* head = Note(16, 12, 488, 44, "Select Your Steam User Account.\nYou need to have Half-Life 2 and Source SDK installed.", 14);
    head->labelfont(FL_HELVETICA_BOLD);
    accountFolder_ = new Fl_Output(110, 62, 394, 24, "Accounts in:");
    accountFolder_->labelsize(12);
    Name(accountFolder_, "Dir1");
    accountList_ = new Fl_Hold_Browser(16, 110, 230, 230, "Users:");
    accountList_->align(FL_ALIGN_TOP_LEFT);
    accountList_->labelsize(12);
    Name(accountList_, "List1");
    Bind(accountList_, [this] { AccountSelected(); });
    auto* selected = new Fl_Group(262, 110, 242, 90, "Selected account");
    selected->box(FL_ENGRAVED_FRAME);
    selected->align(FL_ALIGN_TOP_LEFT);
    selected->labelsize(12);
    hl2Installed_ = new Fl_Check_Button(274, 122, 220, 24, "HL2 Installed");
    sdkInstalled_ = new Fl_Check_Button(274, 154, 220, 24, "Source SDK Installed");
    selected->end();
    Name(hl2Installed_, "Check1");
    Name(sdkInstalled_, "Check2");
    // The indicators only show: a press puts back what was computed.
    Bind(hl2Installed_, [this] { hl2Installed_->value(accounts_.status.hl2Installed ? 1 : 0); });
    Bind(sdkInstalled_, [this] { sdkInstalled_->value(accounts_.status.sdkInstalled ? 1 : 0); });
    makeDefault_ = new Fl_Check_Button(262, 214, 250, 40, "Select this account as the\ndefault user account.");
    makeDefault_->labelsize(12);
    Name(makeDefault_, "Check3");
    accountOk_ = new Fl_Button(262, 300, 242, 40, "OK / Start");
    accountOk_->labelfont(FL_HELVETICA_BOLD);
    accountOk_->deactivate();
    Name(accountOk_, "Command1@account");
    Bind(accountOk_, [this] { ConfirmAccount(); });
    Note(16, 352, 330, 56,
         "No game on this computer yet? You can still build level files; they are compiled once an "
         "account with Half-Life 2 and the Source SDK is chosen.", 11);
    auto* noGame = new Fl_Button(354, 362, 150, 34, "Build Without Game");
    noGame->labelsize(12);
    Name(noGame, "NoGame@account");
    Bind(noGame, [this] {
        account_->hide();
        ContinueWithoutAccount(s_, state_);
        ShowMainReady();
    });
    account_->end();
    account_->callback([](Fl_Widget*, void* self) { static_cast<App*>(self)->Quit(0); }, this);
}

void App::FillAccountList() {
    accountList_->clear();
    for (const AccountEntry& a : accounts_.accounts) accountList_->add(a.name.c_str());
    accountFolder_->value(accounts_.steam.steamapps.c_str());
    if (accounts_.selected >= 0) accountList_->select(accounts_.selected + 1);
    makeDefault_->value(accounts_.makeDefault ? 1 : 0);
    AccountSelected();
}

void App::AccountSelected() {
    accounts_.Select(accountList_->value() - 1);
    hl2Installed_->value(accounts_.status.hl2Installed ? 1 : 0);
    sdkInstalled_->value(accounts_.status.sdkInstalled ? 1 : 0);
    if (accounts_.okEnabled) accountOk_->activate();
    else accountOk_->deactivate();
}

void App::ConfirmAccount() {
    accounts_.makeDefault = makeDefault_->value() != 0;
    const auto folder = accounts_.Confirm();
    if (!folder) {
        MessageBox("Select User Account",
                   "hl2path.ini could not be written in " + s_.programFolder.string() + ". Is the folder writable?",
                   BoxIcon::Critical, BoxButtons::Ok);
        return;
    }
    account_->hide();
    s_.HL2Path.clear();
    GlobalInitiate();
}

void App::ShowAccountWindow() {
    if (!accounts_.ReadUsers()) {
        ShowSteamWindow();
        return;
    }
    FillAccountList();
    account_->show();
}

void App::BuildSteamWindow() {
    steam_ = new Fl_Double_Window(640, 420, "Specify Steam Manually");
    Name(steam_, "SteamPathWindow");
    auto* head = Note(16, 12, 608, 40,
                      "Your steam folder could not be found automaticly so you have to specify it manualy.", 14);
    head->labelfont(FL_HELVETICA_BOLD);
    Note(16, 60, 250, 20, "Specify Your Steam Folder Here:", 12)->labelfont(FL_HELVETICA_BOLD);
    Note(16, 86, 250, 130,
         "If you don't know where you have installed steam, left click on your steam icon and select "
         "\"properties\". You should be able so see where the shortcut lead. Select that folder in this list "
         "to the right.", 12);
    Note(16, 222, 250, 36, "You need to have steam installed to run Tessellon.", 12);
    for (int i = 0; i < 4; ++i) {
        auto* a = new Arrow(190, 268 + i * 18, 80);
        arrows_.push_back(a);
    }
    drives_ = new Fl_Choice(330, 60, 294, 24, "Drive:");
    drives_->labelsize(12);
    for (const std::string& d : DriveRoots()) drives_->add(d.c_str());
    if (drives_->size() > 0) drives_->value(0);
    Name(drives_, "Drive1");
    Bind(drives_, [this] {
        const Fl_Menu_Item* item = drives_->mvalue();
        if (!item || !item->label()) return;
        std::error_code ec;
        fs::path root = item->label();
#ifdef _WIN32
        root = fs::path(std::string(item->label()) + "\\");
#endif
        if (fs::is_directory(root, ec)) ShowSteamFolder(root.string());
    });
    steamFolderText_ = new Fl_Output(330, 90, 294, 24);
    steamFolderText_->labelsize(12);
    Name(steamFolderText_, "CurrentFolder");
    folders_ = new FolderList(280, 120, 344, 220);
    folders_->onChange = [this](const std::string& folder) { SteamFolderChanged(folder); };
    Name(folders_, "Dir1@steam");
    steamLabel_ = Note(16, 350, 420, 24, "", 13);
    Name(steamLabel_, "Label5");
    steamButton_ = new Fl_Button(474, 346, 150, 32, "Quit");
    steamButton_->labelfont(FL_HELVETICA_BOLD);
    Name(steamButton_, "Command1@steam");
    Bind(steamButton_, [this] {
        try {
            if (steamChooser_->PressButton()) {
                steam_->hide();
                ShowAccountWindow();
                return;
            }
        } catch (const ProgramEnd& e) {
            Quit(e.ExitCode());
            return;
        }
        ShowSteamFolder(steamChooser_->folder);
    });
    auto* noGame = new Fl_Button(474, 384, 150, 28, "Build Without Game");
    noGame->labelsize(12);
    Name(noGame, "NoGame@steam");
    Bind(noGame, [this] {
        steam_->hide();
        ContinueWithoutAccount(s_, state_);
        ShowMainReady();
    });
    steam_->end();
    steam_->callback([](Fl_Widget*, void* self) { static_cast<App*>(self)->Quit(0); }, this);
}

// Shows the chooser's state: folder, colours, caption and label.
void App::ShowSteamFolder(const std::string& folder) {
    if (!folder.empty() && folder != folders_->Folder()) folders_->SetFolder(folder);
    steamFolderText_->value(folders_->Folder().c_str());
    const Fl_Color c = FromVbColour(steamChooser_->colour);
    for (Fl_Widget* a : arrows_) {
        a->color(c);
        a->redraw();
    }
    steamButton_->color(c);
    steamCaption_ = steamChooser_->caption;
    steamButton_->label(steamCaption_.c_str());
    steamLabelText_ = steamChooser_->label;
    steamLabel_->label(steamLabelText_.c_str());
    steamLabel_->labelcolor(c == FL_GREEN ? fl_rgb_color(0, 140, 0) : c);
    steam_->redraw();
}

void App::SteamFolderChanged(const std::string& folder) {
    steamFolderText_->value(folder.c_str());
    if (steamChooser_->FolderChanged(folder)) {
        steam_->hide();
        ShowAccountWindow();
        return;
    }
    ShowSteamFolder(folder);
}

void App::ShowSteamWindow() {
    account_->hide();
    if (!steamChooser_) steamChooser_ = std::make_unique<SteamPathChooser>(*this, s_.programFolder);
    const std::string start = folders_->Folder().empty() ? (DriveRoots().empty() ? "/" : DriveRoots()[0])
                                                         : folders_->Folder();
    folders_->SetFolder(start);
    steam_->show();
    SteamFolderChanged(folders_->Folder());
}

}  // namespace tessellon::app
