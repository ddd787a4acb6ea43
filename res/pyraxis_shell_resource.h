// Resource ids of the application shell: the main frame's menu, accelerators and
// caption, the workspace template, the About box, the tree images and the no-drop cursor.
#pragma once

#define IDD_ABOUTBOX 101
#define IDC_ABOUT_VERSION 1024
#define IDS_SOCKETS_INIT_FAILED 104
#define IDC_NO_DROP 106
#define IDR_MAINFRAME 128
#define IDR_WORKSPACE_TEMPLATE 131
#define IDB_TREE_IMAGES 247
