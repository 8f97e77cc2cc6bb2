// The form's components, top to bottom: the child windows, the banner's
// logo, the image lists and the popup menu.
//
// The form owns the one set: its layout (FormLayout.cpp) creates them into
// the form's TFormControls, and they go with the form's window (the logo, the
// image lists and the menu are freed by the form's destructor). The form
// hands each box the ones it works on; everyone else reads them through
// TKXActiveXForm::Controls().
#pragma once

#include <windows.h>
#include <commctrl.h>

struct TFormControls {
    HWND Label1 = nullptr;  // the banner
    HBITMAP Image1 = nullptr;  // its logo, drawn centred; null when the resource is absent
    HWND GroupBox3 = nullptr, Label2 = nullptr, cmbGroupName = nullptr, Label4 = nullptr,
         cmbCarName = nullptr, Label5 = nullptr, cmbCarNum = nullptr, Label6 = nullptr,
         cmbCarDevice = nullptr, Label13 = nullptr, lblTripNum = nullptr, Label12 = nullptr,
         DateBegin = nullptr, TimeBegin = nullptr, Label14 = nullptr, DateEnd = nullptr,
         TimeEnd = nullptr;
    HWND GroupBox2 = nullptr, cmbInfoPoints = nullptr, ListView1 = nullptr, Label15 = nullptr,
         txtCont = nullptr, UpDown2 = nullptr;
    HWND GroupBox4 = nullptr, Label8 = nullptr, cmbSpeed = nullptr, UpDown1 = nullptr,
         btnPlay = nullptr, btnStop = nullptr, Label9 = nullptr, TrackBar = nullptr,
         ToolBar1 = nullptr, SpeedButton1 = nullptr;
    HWND GroupBox5 = nullptr, Label10 = nullptr, lblDate = nullptr, Label11 = nullptr,
         lblSpeed = nullptr, Label7 = nullptr, lblDistance = nullptr;
    HIMAGELIST ImageList1 = nullptr, ImageList2 = nullptr;
    HMENU PopupMenu1 = nullptr;
};
