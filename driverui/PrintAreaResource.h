// Resource ids of the "Print Area" page (template IDD_PRINT_AREA) and of its
// name dialog (IDD_SAVE_PRINT_AREA).
#pragma once

#include "PageTemplates.h"

#define IDC_AREA_TAB 4001 // hidden, no behaviour
#define IDC_AREA_FRONT_RADIO 4002 // hidden, no behaviour
#define IDC_AREA_BACK_RADIO 4003 // hidden, no behaviour
#define IDC_AREA_FRAME 4004 // where the preview is painted
#define IDC_AREA_W 4005
#define IDC_AREA_W_SPIN 4006
#define IDC_AREA_H 4007
#define IDC_AREA_H_SPIN 4008
#define IDC_AREA_X 4009
#define IDC_AREA_X_SPIN 4010
#define IDC_AREA_Y 4011
#define IDC_AREA_Y_SPIN 4012
#define IDC_AREA_RECTS 4013
#define IDC_AREA_ADD 4014
#define IDC_AREA_REMOVE 4015
#define IDC_AREA_UNIT_DOTS 4016 // hidden
#define IDC_AREA_UNIT_TENTH_MM 4017
#define IDC_AREA_UNIT_HUNDREDTH_INCH 4018
#define IDC_AREA_NAMES 4019
#define IDC_AREA_DELETE 4020
#define IDC_AREA_SAVE 4021
#define IDC_AREA_SAVE_AS 4022
#define IDC_AREA_NAME_LABEL 4023
#define IDC_AREA_NAME_EDIT 4024
#define IDC_AREA_ORIGIN_PORTRAIT 4025
#define IDC_AREA_ORIGIN_LANDSCAPE 4026
#define IDC_AREA_X_AXIS_PORTRAIT 4027
#define IDC_AREA_X_AXIS_LANDSCAPE 4028
#define IDC_AREA_Y_AXIS_PORTRAIT 4029
#define IDC_AREA_Y_AXIS_LANDSCAPE 4030
#define IDC_AREA_INVERT 4031
#define IDC_AREA_PANEL 4032
#define IDC_AREA_SIDE 4033
#define IDC_AREA_LOAD_BMP 4034 // hidden
#define IDC_AREA_W_ICON 7016
#define IDC_AREA_H_ICON 7017

#define IDI_AREA_WIDTH 140
#define IDI_AREA_HEIGHT 141
