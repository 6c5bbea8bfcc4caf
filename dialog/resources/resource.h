/* The numbers the dialog template (talvorix.rc) gives its dialog, icon and controls.
   The code uses its own constants from dialog/dialog_template.h;
   tests/dialog/dialog_template_test.cpp checks that both agree. Plain defines, so the
   resource compiler reads this file. */
#ifndef TALVORIX_DIALOG_RESOURCES_RESOURCE_H
#define TALVORIX_DIALOG_RESOURCES_RESOURCE_H

#define IDD_MAIN 101
#define IDI_MAIN 113

#define IDC_PREV 1002
#define IDC_TEXT 1004
#define IDC_NEXT 1005
#define IDC_ANSWER 1006
#define IDC_COUNTER 1007
#define IDC_TITLE 1008
#define IDC_HINT 1009

#endif
