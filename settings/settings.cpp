#include "settings/settings.h"

#include <cstring>

#include "engine/text.h"

const char DEFAULT_FILE_EXT[] =
    "mp3,mp2,mp1,aac,wma,mid,midi,rmi,kar,miz,mod,mdz,nst,stm,stz,s3m,s3z,it,"
    "itz,xm,xmz,mtm,ult,669,far,amf,okt,ptm,ogg,cda,wav,voc,au,snd,aif,aiff,"
    "nsv,nsa,mpg,mpeg,m2v,avi,asf,wmv";

char g_opnFName[MAXPATH];
char g_savFName[MAXPATH];
char g_oInitDir[MAXPATH];
char g_sInitDir[MAXPATH];
char g_FileExt[MAXPATH] =
    "mp3,mp2,mp1,aac,wma,mid,midi,rmi,kar,miz,mod,mdz,nst,stm,stz,s3m,s3z,it,"
    "itz,xm,xmz,mtm,ult,669,far,amf,okt,ptm,ogg,cda,wav,voc,au,snd,aif,aiff,"
    "nsv,nsa,mpg,mpeg,m2v,avi,asf,wmv";
char g_FExtBuf[MAXPATH];
char g_AppPath[MAXPATH];
char g_PrevFile[MAXPATH + 16];

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

HINSTANCE g_hinst;
HWND g_hMainDlg;
HWND g_hOptDlg;
HWND g_hInfoDlg;

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

void ResetSettings() {
  g_opnFName[0] = '\0';
  g_savFName[0] = '\0';
  g_oInitDir[0] = '\0';
  g_sInitDir[0] = '\0';
  CopyText(g_FileExt, sizeof g_FileExt, DEFAULT_FILE_EXT);
  std::memset(g_FExtBuf, 0, sizeof g_FExtBuf);
  g_AppPath[0] = '\0';
  g_PrevFile[0] = '\0';
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
  g_hinst = nullptr;
  g_hMainDlg = nullptr;
  g_hOptDlg = nullptr;
  g_hInfoDlg = nullptr;
  for (char*& e : g_ExtList) e = nullptr;
  g_NumExt = 0;
}

int32_t WidthFromText(const char* text) {
  char buf[8];
  CopyText(buf, sizeof buf, text);
  int32_t v = Atoi32(buf);
  if (v <= 10) return 10;
  if (v >= 250) return 250;
  return v;
}
