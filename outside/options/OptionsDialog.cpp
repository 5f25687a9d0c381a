#include "outside/options/OptionsDialog.h"

#include "engine/core/StringKit.h"
#include "game/shell/client/IGame.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

using Options::Kind;
using Options::Page;
using Options::Setting;

namespace {

wxString ToWx(const std::u16string& s)
{
    wxString out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        out += wxUniChar(c);
    }
    return out;
}

std::u16string FromWx(const wxString& s)
{
    std::u16string out;
    for (wxUniChar c : s) {
        uint32_t v = c.GetValue();
        if (v >= 0x10000 && v <= 0x10FFFF) {
            v -= 0x10000;
            out.push_back(char16_t(0xD800 + (v >> 10)));
            out.push_back(char16_t(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(char16_t(v));
        }
    }
    return out;
}

// A slider moves in whole steps: hundredths of a 0..1 range, else units.
double SliderScale(const Setting& s) { return s.high - s.low <= 1.0 ? 100.0 : 1.0; }

double Real(const std::u16string& v)
{
    double d = 0;
    Util::ParseFloat(v.c_str(), &d);
    return d;
}

// The game's key codes are SDL 1.2 key symbols; 0 when the key has none.
int GameKeyOf(int wxKey)
{
    if (wxKey >= 'A' && wxKey <= 'Z')
        return wxKey + 32;
    if (wxKey == WXK_BACK || wxKey == WXK_TAB || wxKey == WXK_RETURN || wxKey == WXK_ESCAPE || wxKey == WXK_DELETE ||
        (wxKey >= 32 && wxKey < 127))
        return wxKey;
    if (wxKey >= WXK_F1 && wxKey <= WXK_F15)
        return 282 + (wxKey - WXK_F1);
    if (wxKey >= WXK_NUMPAD0 && wxKey <= WXK_NUMPAD9)
        return 256 + (wxKey - WXK_NUMPAD0);
    switch (wxKey) {
    case WXK_UP:
        return 273;
    case WXK_DOWN:
        return 274;
    case WXK_RIGHT:
        return 275;
    case WXK_LEFT:
        return 276;
    case WXK_INSERT:
        return 277;
    case WXK_HOME:
        return 278;
    case WXK_END:
        return 279;
    case WXK_PAGEUP:
        return 280;
    case WXK_PAGEDOWN:
        return 281;
    case WXK_NUMPAD_DECIMAL:
        return 266;
    case WXK_NUMPAD_DIVIDE:
        return 267;
    case WXK_NUMPAD_MULTIPLY:
        return 268;
    case WXK_NUMPAD_SUBTRACT:
        return 269;
    case WXK_NUMPAD_ADD:
        return 270;
    case WXK_NUMPAD_ENTER:
        return 271;
    case WXK_NUMPAD_EQUAL:
        return 272;
    // The game takes either side of a modifier for the other.
    case WXK_SHIFT:
        return 304;
    case WXK_CONTROL:
        return 306;
    case WXK_ALT:
        return 308;
    default:
        return 0;
    }
}

const char16_t* PageTitle(Page page)
{
    switch (page) {
    case Page::Player:
        return u"Player";
    case Page::Display:
        return u"Display and sound";
    case Page::Keys:
        return u"Keys";
    case Page::Server:
        return u"Server";
    }
    return u"";
}

} // namespace

OptionsDialog::OptionsDialog(IGame* game)
    : wxDialog(nullptr, wxID_ANY, "Vornhal Options", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      game_(game)
{
    game_->ListLevels();
    wxNotebook* book = new wxNotebook(this, wxID_ANY);
    const std::vector<Setting>& all = Options::AllSettings();
    // Fields are pointed at while capturing a key; the vector never grows
    // after this.
    fields_.reserve(all.size());
    for (Page page : {Page::Player, Page::Display, Page::Keys, Page::Server}) {
        wxScrolledWindow* panel = new wxScrolledWindow(book, wxID_ANY);
        wxFlexGridSizer* grid = new wxFlexGridSizer(2, wxSize(12, 6));
        grid->AddGrowableCol(1);
        for (const Setting& s : all) {
            if (s.page != page)
                continue;
            grid->Add(new wxStaticText(panel, wxID_ANY, ToWx(s.label)), 0, wxALIGN_CENTER_VERTICAL);
            wxWindow* control = MakeControl(panel, s, Options::ReadSetting(s, game_));
            grid->Add(control, 1, wxEXPAND);
            fields_.push_back({&s, control, u"", -1});
            if (s.kind == Kind::Key)
                ShowKey(fields_.back(), int(Util::AtoI(Options::ReadSetting(s, game_).c_str())));
            fields_.back().initial = ValueOf(fields_.back());
        }
        wxBoxSizer* margin = new wxBoxSizer(wxVERTICAL);
        margin->Add(grid, 1, wxEXPAND | wxALL, 10);
        panel->SetSizer(margin);
        panel->SetScrollRate(0, 10);
        // Every page but the long list of keys shows whole: the dialog is
        // made as tall as the tallest of them.
        if (page != Page::Keys)
            panel->SetMinSize(wxSize(-1, margin->CalcMin().y));
        book->AddPage(panel, ToWx(PageTitle(page)));
    }

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    wxButton* start = new wxButton(this, wxID_OK, "Start game");
    buttons->Add(start, 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, kSaveAndQuit, "Save and quit"), 0, wxRIGHT, 8);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    start->SetDefault();
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(kSaveAndQuit); }, kSaveAndQuit);
    Bind(wxEVT_CHAR_HOOK, &OptionsDialog::OnCharHook, this);

    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(book, 1, wxEXPAND | wxALL, 8);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    SetSizerAndFit(top);
    SetSize(wxSize(std::max(GetSize().x, 520), std::max(GetSize().y, 480)));
    CentreOnScreen();

    // The name is what a new player changes first.
    if (wxTextCtrl* name = dynamic_cast<wxTextCtrl*>(fields_.front().control)) {
        name->SetFocus();
        name->SelectAll();
    }
}

wxWindow* OptionsDialog::MakeControl(wxWindow* parent, const Setting& s, const std::u16string& value)
{
    switch (s.kind) {
    case Kind::Text:
        return new wxTextCtrl(parent, wxID_ANY, ToWx(value));
    case Kind::Flag: {
        wxCheckBox* box = new wxCheckBox(parent, wxID_ANY, wxEmptyString);
        box->SetValue(value == u"1");
        return box;
    }
    case Kind::Number:
        return new wxSpinCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS,
                              int(s.low), int(s.high), Util::AtoI(value.c_str()));
    case Kind::Decimal: {
        const double scale = SliderScale(s);
        const int position = int(std::lround(std::min(std::max(Real(value), s.low), s.high) * scale));
        return new wxSlider(parent, wxID_ANY, position, int(s.low * scale), int(s.high * scale), wxDefaultPosition,
                            wxDefaultSize, wxSL_HORIZONTAL | wxSL_VALUE_LABEL);
    }
    case Kind::Choice: {
        wxChoice* choice = new wxChoice(parent, wxID_ANY);
        for (size_t i = 0; i < s.choices.size(); ++i) {
            choice->Append(ToWx(s.choices[i].label));
            if (value == s.choices[i].word)
                choice->SetSelection(int(i));
        }
        return choice;
    }
    case Kind::Level: {
        wxComboBox* combo = new wxComboBox(parent, wxID_ANY, ToWx(value));
        for (int i = 0; i < game_->LevelCount(); ++i) {
            const char16_t* file = game_->LevelFile(i);
            if (file && *file)
                combo->Append(ToWx(file));
        }
        combo->SetValue(ToWx(value));
        return combo;
    }
    case Kind::Key: {
        wxButton* button = new wxButton(parent, wxID_ANY);
        button->Bind(wxEVT_BUTTON, &OptionsDialog::OnKeyButton, this);
        button->Bind(wxEVT_LEFT_DOWN, &OptionsDialog::OnKeyMouse, this);
        button->Bind(wxEVT_MIDDLE_DOWN, &OptionsDialog::OnKeyMouse, this);
        button->Bind(wxEVT_RIGHT_DOWN, &OptionsDialog::OnKeyMouse, this);
        return button;
    }
    }
    return nullptr;
}

std::u16string OptionsDialog::ValueOf(const Field& field) const
{
    const Setting& s = *field.setting;
    switch (s.kind) {
    case Kind::Text:
        return FromWx(static_cast<wxTextCtrl*>(field.control)->GetValue());
    case Kind::Level:
        return FromWx(static_cast<wxComboBox*>(field.control)->GetValue());
    case Kind::Flag:
        return static_cast<wxCheckBox*>(field.control)->GetValue() ? u"1" : u"0";
    case Kind::Number:
        return Util::IntToString16(static_cast<wxSpinCtrl*>(field.control)->GetValue());
    case Kind::Decimal:
        return Util::FloatToString16(static_cast<wxSlider*>(field.control)->GetValue() / SliderScale(s));
    case Kind::Choice: {
        const int i = static_cast<wxChoice*>(field.control)->GetSelection();
        return i >= 0 && size_t(i) < s.choices.size() ? s.choices[size_t(i)].word : u"";
    }
    case Kind::Key:
        return Util::IntToString16(field.key);
    }
    return u"";
}

void OptionsDialog::Apply()
{
    for (const Field& field : fields_) {
        const std::u16string value = ValueOf(field);
        if (value == field.initial)
            continue;
        // Controls keep to their ranges; the check guards the table.
        std::u16string canonical, error;
        if (Options::ParseSetting(*field.setting, value, &canonical, &error))
            Options::WriteSetting(*field.setting, game_, canonical);
    }
}

void OptionsDialog::ShowKey(Field& field, int code)
{
    field.key = code;
    static_cast<wxButton*>(field.control)->SetLabel(ToWx(Options::KeyName(code)));
}

OptionsDialog::Field* OptionsDialog::FieldOf(wxObject* control)
{
    for (Field& f : fields_)
        if (f.control == control)
            return &f;
    return nullptr;
}

void OptionsDialog::OnKeyButton(wxCommandEvent& event)
{
    Field* field = FieldOf(event.GetEventObject());
    if (capturing_)
        ShowKey(*capturing_, capturing_->key);
    capturing_ = field;
    if (field)
        static_cast<wxButton*>(field->control)->SetLabel("Press a key or click a mouse button here");
}

void OptionsDialog::OnKeyMouse(wxMouseEvent& event)
{
    if (!capturing_ || capturing_->control != event.GetEventObject()) {
        event.Skip();
        return;
    }
    const int code = event.GetButton() == wxMOUSE_BTN_MIDDLE  ? 1001
                     : event.GetButton() == wxMOUSE_BTN_RIGHT ? 1002
                                                              : 1000;
    ShowKey(*capturing_, code);
    capturing_ = nullptr;
}

void OptionsDialog::OnCharHook(wxKeyEvent& event)
{
    if (!capturing_) {
        event.Skip();
        return;
    }
    const int code = GameKeyOf(event.GetKeyCode());
    if (code == 0)
        return;
    ShowKey(*capturing_, code);
    capturing_ = nullptr;
}
