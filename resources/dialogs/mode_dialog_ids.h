/* Identifiers of the mode dialog, shared by every language's resource script.
   The start-up library asks for the template and acts on what the buttons report. */
#pragma once

#define IDD_MODE 152
#define IDC_MODE_MAIN 391      /* start in the main mode */
#define IDC_MODE_FORMS 392     /* start in the forms mode */
#define IDC_MODE_CONTINUE 397  /* the default button: the main mode as well */
