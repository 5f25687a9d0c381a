#pragma once

#include "editor/dialogs/EditorDialog.h"

class ILight;
class ILightBox;
class wxChoice;
class wxSlider;
class wxTextCtrl;

// "Light Area Properties": the brightness and colour of one light area,
// the brightness applied while the slider moves, a colour as its edit is
// left and every colour at OK.
class LightAreaDialog : public EditorDialog {
public:
    LightAreaDialog(wxWindow* parent, ILightBox* box);

private:
    bool AcceptOk() override;

    ILightBox* box_;
    wxSlider* light_;
    wxTextCtrl* colour_[3];
};

// "Light Properties": type, size, angle, power and colour of one light,
// each applied as it is changed, the colours again at OK. Opening the
// dialog changes nothing.
class LightDialog : public EditorDialog {
public:
    LightDialog(wxWindow* parent, ILight* light);

private:
    bool AcceptOk() override;

    ILight* light_;
    wxChoice* type_;
    wxSlider* size_;
    wxSlider* angle_;
    wxSlider* power_;
    wxTextCtrl* colour_[3];
};
