/* Identifiers shared by the dialog template and the code. Plain defines, so the
   resource compiler reads this file as well as C++. */
#ifndef TALVORIX_SHELL_RESOURCES_RESOURCE_H
#define TALVORIX_SHELL_RESOURCES_RESOURCE_H

#define IDD_MAIN 101
#define IDI_MAIN 113

#define IDC_PREV 1002
#define IDC_TEXT 1004
#define IDC_NEXT 1005
#define IDC_ANSWER 1006
#define IDC_COUNTER 1007
#define IDC_TITLE 1008

/* The private message that announces a path in the shared block "PATH". */
#define WM_LOADSHAREDPATH 16715

/* Size of the shared block "PATH" in bytes. */
#define TALVORIX_SHARED_PATH_SIZE 1024

#endif
