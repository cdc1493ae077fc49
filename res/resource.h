// Resource, command and control ids shared by vorto.exe and vortores.dll.
// windres reads this file too, so it holds nothing but #define lines.
#ifndef VORTO_RES_RESOURCE_H
#define VORTO_RES_RESOURCE_H

// Icons, bitmaps, menus, accelerators
#define IDI_VORTO               107
#define IDI_SECURE              169
#define IDR_MAINMENU            109
#define IDR_ACCEL               109
#define IDM_CONTEXT_BARS        118
#define IDB_STATUS16            190   // worker and error row images: 1 error, 2 busy, 3 closed, 4 idle
#define IDM_ERROR_LIST          160

// Dialog templates
#define IDD_PROGRESS            134
#define IDD_SYNC_REVIEW         135
#define IDD_PROGRESS_WORKERS    158
#define IDD_PROGRESS_ERRORS     174

// Progress window controls
#define IDC_ERROR_LIST          1000
#define IDC_PROGRESS_BAR        1013
#define IDC_PROGRESS_ITEM       1039
#define IDC_PROGRESS_DONE       1047
#define IDC_PROGRESS_TOTAL      1048
#define IDC_PROGRESS_PERCENT    1049
#define IDC_PROGRESS_TITLE      1051
#define IDC_PROGRESS_CANCEL     1052
#define IDC_WORKER_LIST         1060
#define IDC_PROGRESS_KEEPOPEN   1066
#define IDC_PROGRESS_SHEETFRAME 1102
#define IDC_PROGRESS_DETAILS    1103
#define IDC_PROGRESS_COLLAPSED  1104
#define IDC_PROGRESS_MINSIZE    1105
#define IDD_LOGIN               162
#define IDD_QUICK_CONNECT       182

// Login dialog controls
#define IDC_LOGIN_ERROR         1001
#define IDC_LOGIN_USER          1002
#define IDC_LOGIN_PASSWORD      1003
#define IDC_LOGIN_SAVE          1004

// Quick-connect bar controls
#define IDC_QUICK_ADDRESS       1201
#define IDC_QUICK_USER          1202
#define IDC_QUICK_PASSWORD      1203
#define IDC_QUICK_SFTP          1204
#define IDC_QUICK_PASSIVE       1205
#define IDC_QUICK_CONNECT       1206
#define IDC_QUICK_MORE          1207
#define IDC_QUICK_USER_LABEL    1208
#define IDC_QUICK_PASSWORD_LABEL 1209

// Synchronize review controls
#define IDC_SYNC_LIST           1000
#define IDC_SYNC_REMOVE         1006

// Strings
#define IDS_ERROR_COLUMN        110
#define IDS_WORKER_STATUS       111
#define IDS_WORKER_PERCENT      112
#define IDS_WORKER_TIMELEFT     113
#define IDS_SPEED_BYTES         140
#define IDS_WORKER_SPEED        146
#define IDS_SPEED_KILOBYTES     147
#define IDS_CANCELLING          280
#define IDS_WORKER_CONNECTING   282
#define IDS_WORKER_IDLE         284
#define IDS_WORKER_CLOSED       285
// Worker rows and titles of the engine's steps
#define IDS_STATUS_CHMOD        118
#define IDS_TITLE_DONE          279
#define IDS_STATUS_RECONNECT    287
#define IDS_STATUS_CHANGE_DIR   288
#define IDS_STATUS_CURRENT_DIR  289
#define IDS_STATUS_RENAME       290
#define IDS_STATUS_KEEPALIVE    292
#define IDS_LISTING_NO_TEXT     297
#define IDS_SFTP_FAILED         1249
#define IDS_STATUS_CONNECTIONS  114
#define IDS_STATUS_SELECTED     116
#define IDS_TIP_SELECTED        141
#define IDS_TIP_CONNECTIONS     142
#define IDS_TIP_ELAPSED         143
#define IDS_STATUS_SECURE       150
#define IDS_WININET_FIRST       12001  // 12001..12200: texts of WinINet codes the system may not describe
#define IDS_CONNECTION_LOST     105
#define IDS_SWITCH_WHILE_CONNECTED 123
#define IDS_DELETE_PROFILE_FAILED  152
#define IDS_NO_HOST             153
#define IDS_SYNC_DELETE_FILE    262
#define IDS_SYNC_CREATE_DIR     263
#define IDS_SYNC_NEW_FILE       264
#define IDS_SYNC_REPLACE_FILE   265
#define IDS_SYNC_REMOVE_DIR     266
#define IDS_WEB_PAGE            295
#define IDS_BAD_PROFILE_NAME    296
#define IDS_BAND_FILTER         144
#define IDS_BAND_QUICK          145
#define IDS_BAND_TOOLS          1044
#define IDS_PROFILE_CONNECT     10240
#define IDS_PROFILE_SELECT      11264
#define IDS_CATEGORY_BASE       2624   // 2624..2629: command categories

// Control ids of the main window's children
#define IDC_LOCAL_PANE          256
#define IDC_SERVER_PANE         257
#define IDC_STATUSBAR           272
#define IDC_REBAR               273
#define IDC_TOOLS_BAND          274
#define IDC_FILTER_BAND         275
#define IDC_QUICK_BAND          276

// Commands
#define CMD_CONNECT             4096
#define CMD_DISCONNECT          4097
#define CMD_UPLOAD              4098
#define CMD_DOWNLOAD            4099
#define CMD_SYNCHRONIZE         4100
#define CMD_MODE_AUTO           4101
#define CMD_MODE_ASCII          4102
#define CMD_MODE_BINARY         4103
#define CMD_OPEN                4104
#define CMD_EDIT                4105
#define CMD_NEW_FOLDER          4106
#define CMD_NEW_FILE            4107
#define CMD_DELETE              4108
#define CMD_DELETE_PERMANENT    4109
#define CMD_RENAME              4110
#define CMD_PROPERTIES          4111
#define CMD_WIZARD              4112
#define CMD_EXIT                4113
#define CMD_CUT                 4115
#define CMD_COPY                4116
#define CMD_PASTE               4117
#define CMD_COPY_LISTING        4118
#define CMD_COPY_TO             4119
#define CMD_MOVE_TO             4120
#define CMD_SELECT_ALL          4121
#define CMD_INVERT_SELECTION    4122
#define CMD_TOGGLE_BARS         4124
#define CMD_TOGGLE_STATUSBAR    4125
#define CMD_TOGGLE_TOOLS_BAND   4126
#define CMD_TOGGLE_BAND_TITLES  4127
#define CMD_TOGGLE_LOCK_BANDS   4128
#define CMD_SHOW_PROGRESS       4129
#define CMD_PROGRESS_LIST       4130
#define CMD_COLUMNS             4131
#define CMD_BACK                4132
#define CMD_FORWARD             4133
#define CMD_HOME                4134
#define CMD_UP                  4135
#define CMD_REFRESH             4136
#define CMD_DESKTOP             4137
#define CMD_MY_DOCUMENTS        4138
#define CMD_FOCUS_LIST          4139
#define CMD_FOCUS_TREE          4140
#define CMD_OTHER_PANE          4141
#define CMD_SPLITTER_RIGHT      4142
#define CMD_SPLITTER_LEFT       4143
#define CMD_FOCUS_ADDRESS       4144
#define CMD_PROFILE_PROPERTIES  4145
#define CMD_EDIT_ALL_PROFILES   4146
#define CMD_SITE_MANAGER        4147
#define CMD_CUSTOMIZE           4148
#define CMD_CUSTOMIZE_BAR       4149
#define CMD_IMPORT_EXPORT       4150
#define CMD_EXTERNAL_TOOLS      4151
#define CMD_HELP_CONTENTS       4152
#define CMD_HELP_TOPIC          4153
#define CMD_WEB_PAGE            4154
#define CMD_KEYBOARD_MAP        4155
#define CMD_ABOUT               4156
#define CMD_SYNC_BROWSING       4157
#define CMD_TOGGLE_FILTER_BAND  4158
#define CMD_FOCUS_FILTER        4159
#define CMD_DROP_ADDRESS        4160
#define CMD_DROP_FILTER         4161
#define CMD_LEAVE_FILTER        4162
#define CMD_TOGGLE_QUICK_BAND   4163
#define CMD_FOCUS_QUICK         4164
#define CMD_SAVE_LISTING        4165
#define CMD_VIEW_ICONS          9216
#define CMD_VIEW_LIST           9217
#define CMD_VIEW_DETAILS        9218
#define CMD_SORT_FIRST          9232
#define CMD_COLUMN_FIRST        9248
#define CMD_PROFILE_CONNECT_FIRST 10240
#define CMD_PROFILE_SELECT_FIRST  11264
#define CMD_TOOL_FIRST          12288
// Transfer questions and texts
#define IDD_OVERWRITE_FILE      140
#define IDD_OVERWRITE_FOLDER    141
#define IDC_OVERWRITE_TEXT      1036
#define IDC_OVERWRITE_EXISTING  1037
#define IDC_OVERWRITE_NEWER     1038
#define IDC_OVERWRITE_INCOMING  1040
#define IDC_YES_TO_ALL          10
#define IDS_TITLE_UPLOAD        259
#define IDS_TITLE_DOWNLOAD      260
#define IDS_STEP_DELETE         261
#define IDS_STEP_REMOVE_DIR     274
#define IDS_STEP_MAKE_DIR       275
#define IDS_STEP_TRANSFER       276
#define IDS_STEP_REPLACE        277
// Commands of the error page's context menu
#define CMD_COPY_ERRORS         9300
#define CMD_CLEAR_ERRORS        9301

// Bar settings dialog and the toolbar image strips
#define IDD_BAR_SETTINGS        117
#define IDC_BARS_LIST           1000
#define IDC_BARS_NEW            1005
#define IDC_BARS_DELETE         1006
#define IDC_BARS_FILTER         1173
#define IDC_BARS_QUICK          1174
#define IDC_BARS_RESET          1312
#define IDC_BARS_CUSTOMIZE      1332
#define IDC_BARS_LARGE          1342
#define IDC_BARS_COLOR16        1347
#define IDC_BARS_COLOR256       1348
#define IDC_BARS_TRUECOLOR      1349
#define IDC_BARS_TOOLS          1375
#define IDC_BARS_TITLES         1388
#define IDC_BARS_LOCKED         1389
#define IDS_TOOLBAR_NAME        136
// 600..617: 16 then 24 pixels; per size 16 colours, 256 colours, true
// colour; per level the normal, hot and disabled strips.
#define IDB_TOOLBAR_FIRST       600

// Popups of the main menu whose items are rebuilt each time they open
#define IDM_CONNECT_PROFILES    200
#define IDM_SELECT_PROFILES     201

// ---- File panes (menus, dialogs, strings of the local and server panes) ----
#define IDC_PANE_LIST           258
#define IDC_PANE_TOOLBAR        262
#define IDC_PANE_ADDRESS        264
#define IDM_LOCAL_ITEMS         142
#define IDM_SERVER_ITEMS        143
#define IDM_PANE_COLUMNS        159
#define IDD_PANE_COLUMNS        164
#define IDD_REMOTE_PROPERTIES   106
#define IDD_MOVE_TO             167
#define IDD_COPY_TO             183
#define IDC_DEST_TEXT           1036
#define IDC_DEST_FOLDER         1150
// Column dialog controls
#define IDC_COLUMN_LIST         1000
#define IDC_COLUMN_SHOW         1140
#define IDC_COLUMN_HIDE         1141
#define IDC_COLUMN_WIDTH        1142
// Remote file properties page controls
#define IDC_PROP_NAME           1071
#define IDC_PROP_PERM_FIRST     1076   // 1076..1084: owner, group, others; read, write, execute
#define IDC_PROP_MODE           1085
#define IDC_PROP_COUNT          1087
#define IDC_PROP_LOCATION       1088
#define IDC_PROP_SIZE           1089
#define IDC_PROP_TYPE           1086
// Strings
#define IDS_SELECTED_ITEMS      104
#define IDS_COPY_OF             148
#define IDS_LISTING_FILTER      155
#define IDS_DELETE_ONE          257
#define IDS_DELETE_MANY         258
#define IDS_COLUMN_NAME         267
#define IDS_COLUMN_SIZE         268
#define IDS_COLUMN_TYPE         269
#define IDS_COLUMN_TIME         270
#define IDS_PANE_NO_TYPE        271
#define IDS_TITLE_LISTING       278
#define IDS_COLUMN_ATTRIBUTES   293
#define IDS_COLUMN_OWNER        294
#define IDS_NAME_TAKEN          1301
#define IDS_BAD_NEW_NAME        1302
// ---- end of file panes ----

#endif
