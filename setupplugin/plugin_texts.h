// The plug-in's own texts, English|Russian (Russian in code page 1251,
// written as escapes).
#pragma once

constexpr const char* kTextDialogCaption =
    "Korvan %s Setup|\323\361\362\340\355\356\342\352\340 %s \364\350\360\354\373 Korvan";
constexpr const char* kTextCcs2NotFound =
    "CCS Version 2 not found in registry. To install %s files to CCS v. 2.x, please specify the CCS installation folder:|CCS \342\345\360\361\350\350 2.x \355\345 \355\340\351\344\345\355 \342 \360\345\345\361\362\360\345. \327\362\356\341\373 \363\361\362\340\355\356\342\350\362\374 \364\340\351\353\373 JTAG-\375\354\363\353\377\362\356\360\340 %s, \363\352\340\346\350\362\345 \344\350\360\345\352\362\356\360\350\376, \342 \352\356\362\356\360\356\351 \363\361\362\340\355\356\342\353\345\355 CCS \342\345\360\361\350\350 2:";
constexpr const char* kTextCcs3NotFound =
    "CCS Version 3 not found in registry. To install %s files to CCS v. 3.x, please specify the CCS installation folder:|CCS \342\345\360\361\350\350 3.x \355\345 \355\340\351\344\345\355 \342 \360\345\345\361\362\360\345. \327\362\356\341\373 \363\361\362\340\355\356\342\350\362\374 \364\340\351\353\373 JTAG-\375\354\363\353\377\362\356\360\340 %s, \363\352\340\346\350\362\345 \344\350\360\345\352\362\356\360\350\376, \342 \352\356\362\356\360\356\351 \363\361\362\340\355\356\342\353\345\355 CCS \342\345\360\361\350\350 3:";
constexpr const char* kTextSpecifyFolder =
    "Please specify the Code Composer Studio v. %u.x folder.|\323\352\340\346\350\362\345 \344\350\360\345\352\362\356\360\350\376 Code Composer Studio v. %u.x";
constexpr const char* kTextFolderMissing =
    "Specified Code Composer Studio v. %u.x folder does not exist. Please specify the correct folder.|\323\352\340\347\340\355\355\340\377 \344\350\360\345\352\362\356\360\350\377 Code Composer Studio v. %u.x \355\345 \361\363\371\345\361\362\342\363\345\362. \323\352\340\346\350\362\345 \357\360\340\342\350\353\374\355\363\376 \344\350\360\345\352\362\356\360\350\376.";
constexpr const char* kTextDestMissing =
    "The sub-folder '%s' does not exist in the specified Code Composer Studio v. %u.x folder. Please specify the correct Code Composer Studio folder.|\317\356\344\344\350\360\345\352\362\356\360\350\377 '%s' \355\345 \355\340\351\344\345\355\340 \342 \363\352\340\347\340\355\355\356\351 \344\350\360\345\352\362\356\360\350\350 Code Composer Studio v. %u.x. \323\352\340\346\350\362\345 \357\360\340\342\350\353\374\355\363\376 \344\350\360\345\352\362\356\360\350\376 Code Composer Studio.";
constexpr const char* kTextCannotCreate =
    "Unable to create folder '%s', setup cannot continue.|\315\345 \363\344\340\353\356\361\374 \361\356\347\344\340\362\374 \344\350\360\345\352\362\356\360\350\376 '%s', \357\360\356\344\356\353\346\345\355\350\345 \363\361\362\340\355\356\342\352\350 \355\345\342\356\347\354\356\346\355\356.";
constexpr const char* kTextCannotCopy =
    "Unable to copy file '%s' to '%s', setup cannot continue.|\315\345 \363\344\340\353\356\361\374 \361\352\356\357\350\360\356\342\340\362\374 \364\340\351\353 '%s' \342 '%s', \357\360\356\344\356\353\346\345\355\350\345 \363\361\362\340\355\356\342\352\350 \355\345\342\356\347\354\356\346\355\356.";
constexpr const char* kTextBadEntry =
    "The entry '%s' of the file list [%s] names a place outside the Code Composer Studio v. %u.x folder, setup cannot continue.|\335\353\345\354\345\355\362 '%s' \361\357\350\361\352\340 \364\340\351\353\356\342 [%s] \363\352\340\347\373\342\340\345\362 \347\340 \357\360\345\344\345\353\373 \344\350\360\345\352\362\356\360\350\350 Code Composer Studio v. %u.x, \357\360\356\344\356\353\346\345\355\350\345 \363\361\362\340\355\356\342\352\350 \355\345\342\356\347\354\356\346\355\356.";
