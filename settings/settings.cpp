#include "settings/settings.h"

#include <cstring>

#include "base/text.h"

// The one literal of the start list, for the constant and the field's start
// value alike.
#define DEFAULT_EXTENSIONS                                                    \
  "mp3,mp2,mp1,aac,wma,mid,midi,rmi,kar,miz,mod,mdz,nst,stm,stz,s3m,s3z,it," \
  "itz,xm,xmz,mtm,ult,669,far,amf,okt,ptm,ogg,cda,wav,voc,au,snd,aif,aiff,"  \
  "nsv,nsa,mpg,mpeg,m2v,avi,asf,wmv,flac,opus,oga,m4a,m4b,mp4,m4v,mkv,mka,"  \
  "webm,ape,wv,mpc,spx,tta,dsf"

const char DEFAULT_FILE_EXT[] = DEFAULT_EXTENSIONS;

char g_opnFName[MAXFILEPATH];
char g_savFName[MAXFILEPATH];
char g_oInitDir[MAXPATH];
char g_sInitDir[MAXPATH];
char g_FileExt[MAXPATH] = DEFAULT_EXTENSIONS;
char g_FExtBuf[MAXPATH];
char g_MusicDir[MAXPATH];

int32_t g_ColWTit = 30;
int32_t g_ColWArt = 30;

int32_t g_htmlFlag = 0;
int32_t g_kommaFlag = 1;
int32_t g_totalFlag = 1;
int32_t g_formlFlag = 1;
int32_t g_rmextFlag = 1;
int32_t g_tfmtFlag = 1;
int32_t g_artfFlag = 1;
int32_t g_durfFlag = 0;
int32_t g_xlsxFlag = 0;
int32_t g_headFlag = 0;

char* g_ExtList[MAXNEXT];
int32_t g_NumExt;

int32_t ReadExtensions() {
  CopyText(g_FExtBuf, sizeof g_FExtBuf, g_FileExt);
  char* entry = g_FExtBuf;
  g_ExtList[0] = entry;
  int32_t count = 1;
  // The last entry keeps the whole rest of the text once the table is full.
  while (count < MAXNEXT) {
    char* comma = std::strchr(entry, ',');
    if (!comma) break;
    *comma = '\0';
    entry = comma + 1;
    g_ExtList[count++] = entry;
  }
  return count;
}

void BuildExtensionTable() {
  for (char*& e : g_ExtList) e = nullptr;
  g_NumExt = ReadExtensions();
}

void SetFileExtensions(const char* list) {
  CopyText(g_FileExt, sizeof g_FileExt, list);
  BuildExtensionTable();
}

void ResetSettings() {
  g_opnFName[0] = '\0';
  g_savFName[0] = '\0';
  g_oInitDir[0] = '\0';
  g_sInitDir[0] = '\0';
  g_MusicDir[0] = '\0';
  CopyText(g_FileExt, sizeof g_FileExt, DEFAULT_FILE_EXT);
  std::memset(g_FExtBuf, 0, sizeof g_FExtBuf);
  g_ColWTit = 30;
  g_ColWArt = 30;
  g_htmlFlag = 0;
  g_kommaFlag = 1;
  g_totalFlag = 1;
  g_formlFlag = 1;
  g_rmextFlag = 1;
  g_tfmtFlag = 1;
  g_artfFlag = 1;
  g_durfFlag = 0;
  g_xlsxFlag = 0;
  g_headFlag = 0;
  for (char*& e : g_ExtList) e = nullptr;
  g_NumExt = 0;
}
