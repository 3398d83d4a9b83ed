// The settings file after a first search in which the set 'Kernel' was saved
// with the Save button and OK was then pressed: what the dialog writes, in
// its order, natively and through the real window alike.
#pragma once

inline const char kernelExample[] =
    "[DirSetKernel]\r\nDirList=C:\\SRC\\KERNEL;C:\\SRC\\INCLUDE;\r\n"
    "FileType=*.cpp;*.h\r\nSubDir=1\r\n"
    "[SetList]\r\nSet0=Kernel\r\nSet1=\r\n"
    "[Searched]\r\nString0=OpenFile\r\n"
    "[FileTypeHist]\r\nFileType0=*.cpp;*.h\r\n"
    "[Settings]\r\nLastSet=Kernel\r\nOnlyFile=0\r\nRegEx=0\r\n"
    "CaseSensitive=1\r\nStat=0\r\nKeepMess=0\r\nWholeWord=0\r\n"
    "[DirSetLastOne]\r\nDirList=C:\\SRC\\KERNEL;C:\\SRC\\INCLUDE;\r\n"
    "FileType=*.cpp;*.h\r\nSubDir=1\r\n";
