/* Resource identifiers of CHOOSER.EXE. */
#ifndef CHOOSER_RESOURCE_H
#define CHOOSER_RESOURCE_H

#define IDD_LANGUAGE 104

/* Radio buttons. 1004 (Greek) and 1005 have no button: the dialog tests 1004
 * all the same, and Japanese cannot be chosen. */
#define IDC_ENGLISH 1000
#define IDC_GERMAN 1001
#define IDC_FRENCH 1002
#define IDC_ITALIAN 1003
#define IDC_GREEK 1004
#define IDC_SPANISH 1006

#endif
