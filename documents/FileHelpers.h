// File tests and XML loading for paths that may hold any Unicode character.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdio>
#include <string>

#include <tinyxml.h>

// True when the file exists and may be read.
bool IsFileReadable(const std::wstring& path);
// True when anything matches the path; wildcards are honoured.
bool FileExists(const std::wstring& path);
// The open stream, or null on any failure.
FILE* OpenFileWide(const std::wstring& path, const std::wstring& mode);
// TinyXML opens files by narrow name only, so the stream is opened here.
bool LoadXmlFileWide(TiXmlDocument& document, const std::wstring& path,
                     TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);
// Creates the folder and every missing parent; 0 on success, else the errno of the first
// folder that could not be made (EINVAL for a null path).
int MakeDirectoryPath(const wchar_t* path);
