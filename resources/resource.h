// The resource ids of trovik.dll, by kind: IDD_ dialog templates, IDI_ icons,
// IDC_ controls of the search dialog, IDC_PROGRESS_ controls of the progress
// window. The numbers are the ones the templates have always had (hosts and
// tests operate the controls by them); OK (1), Cancel (2) and Help (9) are the
// platform's IDOK, IDCANCEL and IDHELP. Included by the resource script, so
// plain #defines only.
#pragma once

// The caption of both dialogs and of every message box of the library.
#define TROVIK_CAPTION "Trovik"

// ---- Dialog templates
#define IDD_SEARCH 1     // the search dialog
#define IDD_PROGRESS 502 // the progress window of a run

// ---- Buttons: the platform's IDOK, IDCANCEL and IDHELP, named here for the
// code that builds without the platform's headers
#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_HELP 9

// ---- Icons
#define IDI_TROVIK 2 // the search dialog's decoration

// ---- Search dialog: fields
#define IDC_TEXT 104       // text to find, with the history of searched texts
#define IDC_SET_NAME 107   // name of the file set, with the sorted set list
#define IDC_DIR_LIST 106   // directories and files, one per line
#define IDC_FILE_TYPES 110 // file masks, with the history of file-type texts

// ---- Search dialog: check boxes and mode buttons
#define IDC_CASE_SENSITIVE 101 // "CaseSensitive"
#define IDC_WHOLE_WORDS 102    // "WholeWord"
#define IDC_SUB_DIRS 103       // "SubDir" of the file set
#define IDC_REGEX 105          // "RegEx"
#define IDC_ONLY_FILE 115      // "OnlyFile"
#define IDC_KEEP_MESS 445      // "KeepMess"
#define IDC_FIND_TEXT 522      // Find Text mode
#define IDC_STATISTICS 523     // Statistics mode ("Stat")

// ---- Search dialog: buttons
#define IDC_ADD_FILE 109
#define IDC_QUICK_REFERENCE 111 // the small button beside the options
#define IDC_SAVE_SET 108        // "S&ave" or "Upd&ate"
#define IDC_REMOVE_SET 112
#define IDC_ADD_DIRECTORY 113
#define IDC_CLEAR 114

// ---- Search dialog: frames
#define IDC_TEXT_GROUP 10  // " Text to find "
#define IDC_FILES_GROUP 12 // " Files "

// ---- Progress window
#define IDC_PROGRESS_DIRECTORY 800 // the directory being entered
#define IDC_PROGRESS_FILES 513     // "Processed files: %d"
#define IDC_PROGRESS_HITS 803      // the hits line
#define IDC_PROGRESS_LAST_HIT 514  // "Last hit(s) found in: %s"
#define IDC_PROGRESS_STOP 338      // Stop: end the run, keep its results
