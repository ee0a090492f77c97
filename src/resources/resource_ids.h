// Ids of the launcher's resources, shared by the resource script and the code.
#pragma once

#define IDS_TITLE 8
#define IDS_INVALID_EXECUTABLE 9
#define IDS_NO_DISK_SPACE 11
#define IDS_DELETING_FILE 14
#define IDS_FOUND_JVM_AT 15
#define IDS_SEARCH_FAILED 16
#define IDS_VALIDATION_OF 17
#define IDS_FAILED 18
#define IDS_LAUNCHING 19
#define IDS_USING_JVM 20
#define IDS_NOT_ENOUGH_SPACE 21
#define IDS_OF_SIZE 22
#define IDS_EXTRACTING_FILE 23
#define IDS_DATE 24
#define IDS_TIME 25
#define IDS_EXTRACTING_CRITERIA 26
#define IDS_BROWSE_CANCELLED 27
#define IDS_BROWSE_NO_PATH 28
#define IDS_USER_CHOSE 29
#define IDS_JVM_INSTALLER 30
#define IDS_EXTRACTING_ARCHIVE 31
#define IDS_CORRUPTED 32
#define IDS_INSTALLATION_EXECUTABLE 33
#define IDS_READING_EXECUTABLE 34
#define IDS_NEED_SETUP_PATH 35
#define IDS_COULD_NOT_OPEN 36
#define IDS_NOT_ALL_COMPONENTS 37
#define IDS_EXE_SIZE 38
#define IDS_TOTAL_FILE_SIZE 39
#define IDS_SECTION_INFO 40
#define IDS_NAME 41
#define IDS_FILE_OFFSET 42
#define IDS_READING 43
#define IDS_SIZE 44
#define IDS_READ_FAILED 45
#define IDS_NEED_ARCHIVE_PATH 46
#define IDS_READING_ARCHIVE 47
#define IDS_RESOURCE 48
#define IDS_RESOURCE_COUNT 49
#define IDS_RESOURCE_FILE_OFFSET 50
#define IDS_COMPRESSED 51
#define IDS_YES 52
#define IDS_NO 53
#define IDS_OFFSET_TABLE_OFFSET_IN 54
#define IDS_OUT_OF_FILE_RANGE 55
#define IDS_WITH 56
#define IDS_SECTIONS 57
#define IDS_ERROR_OCCURED_WHILE 58
#define IDS_SEARCH_SUMMARY 59
#define IDS_SEARCH_AFTER_INSTALL 60
#define IDS_APPLICATION_ABORTED 61
#define IDS_SEARCHING_MATCHING 62
#define IDS_VENDOR 63
#define IDS_VERSION 64
#define IDS_TYPE 65
#define IDS_VERIFYING_JVM 66
#define IDS_PASSED 67
#define IDS_NOT_FOUND 68
#define IDS_STATUS_EXTRACTING_VERIFY 69
#define IDS_STATUS_VALIDATING_ARCHIVE 70
#define IDS_STATUS_SEARCHING 71
#define IDS_PREPARING 72
#define IDS_STATUS_INSTALLING_JVM 73
// Which language's resources the system picked: its tag, as settings name
// it (title.ja=). Beyond the texts 8 to 73, in a string block of its own.
#define IDS_LANGUAGE_TAG 96

// Dialogs and their items.
#define IDD_PROGRESS 103
#define IDC_PROGRESS_NOTE 1002
#define IDC_PROGRESS_BAR 1003
#define IDC_PROGRESS_STATUS 1004
#define IDD_BROWSE_JVM 101
#define IDD_BUNDLED_JVM 105
#define IDD_ABORT 106
#define IDC_JVM_PATH 1000
#define IDC_BROWSE 1001
#define IDC_DOWNLOAD_NOTE 1002
// Where the browse dialog's note sends users without a JVM: a page with free
// JVM builds for Windows.
#define JVM_DOWNLOAD_ADDRESS "https://adoptium.net/"
#define IDI_TARNWICK 128

// The product's name, the caption of its message boxes in every language.
#define PRODUCT_TITLE "Zuvidaduvire Ruze Zozazod"
