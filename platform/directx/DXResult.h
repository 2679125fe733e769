#pragma once

#include <cstdint>

namespace Platform {

/// Result codes of the DirectDraw, Direct3D and DirectSound stand-ins. The values are our own, but they keep the
/// Windows convention the calling code tests: success is 0 (or positive), every failure is negative with bit 31
/// set. Failures of the display stand-in carry facility 0x876 (0x8876xxxx; the 3-D ones from 700 upward), those
/// of the sound stand-in facility 0x878 (0x8878xxxx), and the names that stand for a generic failure share the
/// generic codes below, so one code may have several names.
using HResult = int32_t;

[[nodiscard]] constexpr bool Failed(HResult result)
{
    return result < 0;
}
[[nodiscard]] constexpr bool Succeeded(HResult result)
{
    return result >= 0;
}

inline constexpr HResult S_OK = 0;
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult DD_OK = S_OK;
inline constexpr HResult D3D_OK = S_OK;
inline constexpr HResult DS_OK = S_OK;

// Generic failures.
inline constexpr HResult DSERR_GENERIC = HResult(0x80004005U);
inline constexpr HResult DSERR_NOINTERFACE = HResult(0x80004002U);
inline constexpr HResult DDERR_UNSUPPORTED = HResult(0x80004001U);
inline constexpr HResult DSERR_NOAGGREGATION = HResult(0x80040110U);
inline constexpr HResult DDERR_INVALIDPARAMS = HResult(0x80070057U);
inline constexpr HResult E_OUTOFMEMORY = HResult(0x8007000EU);
inline constexpr HResult DDERR_NOTINITIALIZED = HResult(0x800401F0U);
inline constexpr HResult E_NOTIMPL = DDERR_UNSUPPORTED;
inline constexpr HResult E_NOINTERFACE = DSERR_NOINTERFACE;
inline constexpr HResult E_FAIL = DSERR_GENERIC;
inline constexpr HResult E_INVALIDARG = DDERR_INVALIDPARAMS;
inline constexpr HResult CLASS_E_NOAGGREGATION = DSERR_NOAGGREGATION;
inline constexpr HResult CO_E_NOTINITIALIZED = DDERR_NOTINITIALIZED;
// Aliases of the generic codes: the error-name table names none of them.
inline constexpr HResult DDERR_GENERIC = E_FAIL;
inline constexpr HResult DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HResult D3DERR_GENERIC = E_FAIL;
inline constexpr HResult DSERR_INVALIDPARAM = E_INVALIDARG;
inline constexpr HResult DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HResult DSERR_UNSUPPORTED = E_NOTIMPL;

// DirectDraw.
inline constexpr HResult DDERR_ALREADYINITIALIZED = HResult(0x88760001U);
inline constexpr HResult DDERR_CANNOTATTACHSURFACE = HResult(0x88760002U);
inline constexpr HResult DDERR_CANNOTDETACHSURFACE = HResult(0x88760003U);
inline constexpr HResult DDERR_CURRENTLYNOTAVAIL = HResult(0x88760004U);
inline constexpr HResult DDERR_EXCEPTION = HResult(0x88760005U);
inline constexpr HResult DDERR_HEIGHTALIGN = HResult(0x88760006U);
inline constexpr HResult DDERR_INCOMPATIBLEPRIMARY = HResult(0x88760007U);
inline constexpr HResult DDERR_INVALIDCAPS = HResult(0x88760008U);
inline constexpr HResult DDERR_INVALIDCLIPLIST = HResult(0x88760009U);
inline constexpr HResult DDERR_INVALIDMODE = HResult(0x8876000AU);
inline constexpr HResult DDERR_INVALIDOBJECT = HResult(0x8876000BU);
inline constexpr HResult DDERR_INVALIDPIXELFORMAT = HResult(0x88760091U);
inline constexpr HResult DDERR_INVALIDRECT = HResult(0x8876000CU);
inline constexpr HResult DDERR_LOCKEDSURFACES = HResult(0x8876000DU);
inline constexpr HResult DDERR_NO3D = HResult(0x8876000EU);
inline constexpr HResult DDERR_NOALPHAHW = HResult(0x8876000FU);
inline constexpr HResult DDERR_NOCLIPLIST = HResult(0x88760010U);
inline constexpr HResult DDERR_NOCOLORCONVHW = HResult(0x88760011U);
inline constexpr HResult DDERR_NOCOLORKEY = HResult(0x88760012U);
inline constexpr HResult DDERR_NOCOLORKEYHW = HResult(0x88760013U);
inline constexpr HResult DDERR_NOCOOPERATIVELEVELSET = HResult(0x88760014U);
inline constexpr HResult DDERR_NODIRECTDRAWSUPPORT = HResult(0x88760015U);
inline constexpr HResult DDERR_NOEXCLUSIVEMODE = HResult(0x88760016U);
inline constexpr HResult DDERR_NOFLIPHW = HResult(0x88760017U);
inline constexpr HResult DDERR_NOGDI = HResult(0x88760018U);
inline constexpr HResult DDERR_NOMIRRORHW = HResult(0x88760019U);
inline constexpr HResult DDERR_NOOVERLAYHW = HResult(0x8876001AU);
inline constexpr HResult DDERR_NOSTEREOHARDWARE = HResult(0x8876001BU);
inline constexpr HResult DDERR_NOSURFACELEFT = HResult(0x8876001CU);
inline constexpr HResult DDERR_NOTFOUND = HResult(0x8876001DU);
inline constexpr HResult DDERR_OVERLAPPINGRECTS = HResult(0x8876001EU);
inline constexpr HResult DDERR_CANTLOCKSURFACE = HResult(0x8876001FU);
inline constexpr HResult DDERR_COLORKEYNOTSET = HResult(0x88760020U);
inline constexpr HResult DDERR_NORASTEROPHW = HResult(0x88760021U);
inline constexpr HResult DDERR_NOROTATIONHW = HResult(0x88760022U);
inline constexpr HResult DDERR_NOSTRETCHHW = HResult(0x88760023U);
inline constexpr HResult DDERR_NOT4BITCOLOR = HResult(0x88760024U);
inline constexpr HResult DDERR_NOT4BITCOLORINDEX = HResult(0x88760025U);
inline constexpr HResult DDERR_NOT8BITCOLOR = HResult(0x88760026U);
inline constexpr HResult DDERR_NOTEXTUREHW = HResult(0x88760027U);
inline constexpr HResult DDERR_NOVSYNCHW = HResult(0x88760028U);
inline constexpr HResult DDERR_NOZBUFFERHW = HResult(0x88760029U);
inline constexpr HResult DDERR_NOZOVERLAYHW = HResult(0x8876002AU);
inline constexpr HResult DDERR_OUTOFCAPS = HResult(0x8876002BU);
inline constexpr HResult DDERR_OUTOFVIDEOMEMORY = HResult(0x8876002CU);
inline constexpr HResult DDERR_OVERLAYCANTCLIP = HResult(0x8876002DU);
inline constexpr HResult DDERR_OVERLAYCOLORKEYONLYONEACTIVE = HResult(0x8876002EU);
inline constexpr HResult DDERR_PALETTEBUSY = HResult(0x8876002FU);
inline constexpr HResult DDERR_SURFACEALREADYATTACHED = HResult(0x88760030U);
inline constexpr HResult DDERR_SURFACEALREADYDEPENDENT = HResult(0x88760031U);
inline constexpr HResult DDERR_SURFACEBUSY = HResult(0x88760032U);
inline constexpr HResult DDERR_SURFACEISOBSCURED = HResult(0x88760033U);
inline constexpr HResult DDERR_SURFACELOST = HResult(0x887601C2U);
inline constexpr HResult DDERR_SURFACENOTATTACHED = HResult(0x88760034U);
inline constexpr HResult DDERR_TOOBIGHEIGHT = HResult(0x88760035U);
inline constexpr HResult DDERR_TOOBIGSIZE = HResult(0x88760036U);
inline constexpr HResult DDERR_TOOBIGWIDTH = HResult(0x88760037U);
inline constexpr HResult DDERR_UNSUPPORTEDFORMAT = HResult(0x88760038U);
inline constexpr HResult DDERR_UNSUPPORTEDMASK = HResult(0x88760208U);
inline constexpr HResult DDERR_BLTFASTCANTCLIP = HResult(0x88760039U);
inline constexpr HResult DDERR_CANTCREATEDC = HResult(0x8876003AU);
inline constexpr HResult DDERR_CANTDUPLICATE = HResult(0x8876003BU);
inline constexpr HResult DDERR_CANTPAGELOCK = HResult(0x8876003CU);
inline constexpr HResult DDERR_CANTPAGEUNLOCK = HResult(0x8876003DU);
inline constexpr HResult DDERR_CLIPPERISUSINGHWND = HResult(0x8876003EU);
inline constexpr HResult DDERR_DCALREADYCREATED = HResult(0x8876003FU);
inline constexpr HResult DDERR_DEVICEDOESNTOWNSURFACE = HResult(0x88760040U);
inline constexpr HResult DDERR_DIRECTDRAWALREADYCREATED = HResult(0x88760041U);
inline constexpr HResult DDERR_EXCLUSIVEMODEALREADYSET = HResult(0x88760042U);
inline constexpr HResult DDERR_EXPIRED = HResult(0x88760043U);
inline constexpr HResult DDERR_HWNDALREADYSET = HResult(0x88760044U);
inline constexpr HResult DDERR_HWNDSUBCLASSED = HResult(0x88760045U);
inline constexpr HResult DDERR_IMPLICITLYCREATED = HResult(0x88760046U);
inline constexpr HResult DDERR_INVALIDDIRECTDRAWGUID = HResult(0x88760047U);
inline constexpr HResult DDERR_INVALIDPOSITION = HResult(0x88760048U);
inline constexpr HResult DDERR_INVALIDSTREAM = HResult(0x88760049U);
inline constexpr HResult DDERR_INVALIDSURFACETYPE = HResult(0x8876004AU);
inline constexpr HResult DDERR_MOREDATA = HResult(0x8876004BU);
inline constexpr HResult DDERR_NOBLTHW = HResult(0x8876004CU);
inline constexpr HResult DDERR_NOCLIPPERATTACHED = HResult(0x8876004DU);
inline constexpr HResult DDERR_NODC = HResult(0x8876004EU);
inline constexpr HResult DDERR_NODDROPSHW = HResult(0x8876004FU);
inline constexpr HResult DDERR_NODIRECTDRAWHW = HResult(0x88760050U);
inline constexpr HResult DDERR_NOEMULATION = HResult(0x88760051U);
inline constexpr HResult DDERR_NOFOCUSWINDOW = HResult(0x88760052U);
inline constexpr HResult DDERR_NOHWND = HResult(0x88760053U);
inline constexpr HResult DDERR_NOMIPMAPHW = HResult(0x88760054U);
inline constexpr HResult DDERR_NONONLOCALVIDMEM = HResult(0x88760055U);
inline constexpr HResult DDERR_NOOPTIMIZEHW = HResult(0x88760056U);
inline constexpr HResult DDERR_NOPALETTEATTACHED = HResult(0x88760057U);
inline constexpr HResult DDERR_NOPALETTEHW = HResult(0x88760058U);
inline constexpr HResult DDERR_NOTAOVERLAYSURFACE = HResult(0x88760059U);
inline constexpr HResult DDERR_NOTFLIPPABLE = HResult(0x8876005AU);
inline constexpr HResult DDERR_NOTLOADED = HResult(0x8876005BU);
inline constexpr HResult DDERR_NOTLOCKED = HResult(0x8876005CU);
inline constexpr HResult DDERR_NOTPAGELOCKED = HResult(0x8876005DU);
inline constexpr HResult DDERR_NOTPALETTIZED = HResult(0x8876005EU);
inline constexpr HResult DDERR_OVERLAYNOTVISIBLE = HResult(0x8876005FU);
inline constexpr HResult DDERR_PRIMARYSURFACEALREADYEXISTS = HResult(0x88760060U);
inline constexpr HResult DDERR_REGIONTOOSMALL = HResult(0x88760061U);
inline constexpr HResult DDERR_UNSUPPORTEDMODE = HResult(0x88760062U);
inline constexpr HResult DDERR_VERTICALBLANKINPROGRESS = HResult(0x88760219U);
inline constexpr HResult DDERR_VIDEONOTACTIVE = HResult(0x88760063U);
inline constexpr HResult DDERR_WASSTILLDRAWING = HResult(0x88760064U);
inline constexpr HResult DDERR_WRONGMODE = HResult(0x88760065U);
inline constexpr HResult DDERR_XALIGN = HResult(0x88760066U);

// Direct3D.
inline constexpr HResult D3DERR_BADMAJORVERSION = HResult(0x887602BCU);
inline constexpr HResult D3DERR_BADMINORVERSION = HResult(0x887602BDU);
inline constexpr HResult D3DERR_DEVICEAGGREGATED = HResult(0x887602BEU);
inline constexpr HResult D3DERR_INITFAILED = HResult(0x887602BFU);
inline constexpr HResult D3DERR_INBEGIN = HResult(0x887602C0U);
inline constexpr HResult D3DERR_INVALID_DEVICE = HResult(0x887602C1U);
inline constexpr HResult D3DERR_INVALIDCURRENTVIEWPORT = HResult(0x887602C2U);
inline constexpr HResult D3DERR_INVALIDPALETTE = HResult(0x887602C3U);
inline constexpr HResult D3DERR_INVALIDPRIMITIVETYPE = HResult(0x887602C4U);
inline constexpr HResult D3DERR_INVALIDRAMPTEXTURE = HResult(0x887602C5U);
inline constexpr HResult D3DERR_INVALIDVERTEXTYPE = HResult(0x887602C6U);
inline constexpr HResult D3DERR_LIGHT_SET_FAILED = HResult(0x887602C7U);
inline constexpr HResult D3DERR_LIGHTHASVIEWPORT = HResult(0x887602C8U);
inline constexpr HResult D3DERR_LIGHTNOTINTHISVIEWPORT = HResult(0x887602C9U);
inline constexpr HResult D3DERR_MATERIAL_CREATE_FAILED = HResult(0x887602CAU);
inline constexpr HResult D3DERR_MATERIAL_DESTROY_FAILED = HResult(0x887602CBU);
inline constexpr HResult D3DERR_MATERIAL_GETDATA_FAILED = HResult(0x887602CCU);
inline constexpr HResult D3DERR_MATERIAL_SETDATA_FAILED = HResult(0x887602CDU);
inline constexpr HResult D3DERR_MATRIX_CREATE_FAILED = HResult(0x887602CEU);
inline constexpr HResult D3DERR_MATRIX_DESTROY_FAILED = HResult(0x887602CFU);
inline constexpr HResult D3DERR_MATRIX_GETDATA_FAILED = HResult(0x887602D0U);
inline constexpr HResult D3DERR_MATRIX_SETDATA_FAILED = HResult(0x887602D1U);
inline constexpr HResult D3DERR_NOCURRENTVIEWPORT = HResult(0x887602D2U);
inline constexpr HResult D3DERR_NOTINBEGIN = HResult(0x887602D3U);
inline constexpr HResult D3DERR_NOVIEWPORTS = HResult(0x887602D4U);
inline constexpr HResult D3DERR_SCENE_BEGIN_FAILED = HResult(0x887602D5U);
inline constexpr HResult D3DERR_SCENE_END_FAILED = HResult(0x887602D6U);
inline constexpr HResult D3DERR_SCENE_IN_SCENE = HResult(0x887602D7U);
inline constexpr HResult D3DERR_SCENE_NOT_IN_SCENE = HResult(0x887602D8U);
inline constexpr HResult D3DERR_SETVIEWPORTDATA_FAILED = HResult(0x887602D9U);
inline constexpr HResult D3DERR_SURFACENOTINVIDMEM = HResult(0x887602DAU);
inline constexpr HResult D3DERR_TEXTURE_BADSIZE = HResult(0x887602DBU);
inline constexpr HResult D3DERR_TEXTURE_CREATE_FAILED = HResult(0x887602DCU);
inline constexpr HResult D3DERR_TEXTURE_DESTROY_FAILED = HResult(0x887602DDU);
inline constexpr HResult D3DERR_TEXTURE_GETSURF_FAILED = HResult(0x887602DEU);
inline constexpr HResult D3DERR_TEXTURE_LOAD_FAILED = HResult(0x887602DFU);
inline constexpr HResult D3DERR_TEXTURE_LOCK_FAILED = HResult(0x887602E0U);
inline constexpr HResult D3DERR_TEXTURE_LOCKED = HResult(0x887602E1U);
inline constexpr HResult D3DERR_TEXTURE_NO_SUPPORT = HResult(0x887602E2U);
inline constexpr HResult D3DERR_TEXTURE_NOT_LOCKED = HResult(0x887602E3U);
inline constexpr HResult D3DERR_TEXTURE_SWAP_FAILED = HResult(0x887602E4U);
inline constexpr HResult D3DERR_TEXTURE_UNLOCK_FAILED = HResult(0x887602E5U);
inline constexpr HResult D3DERR_VIEWPORTDATANOTSET = HResult(0x887602E6U);
inline constexpr HResult D3DERR_VIEWPORTHASNODEVICE = HResult(0x887602E7U);
inline constexpr HResult D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY = HResult(0x887602E8U);
inline constexpr HResult D3DERR_ZBUFF_NEEDS_VIDEOMEMORY = HResult(0x887602E9U);
inline constexpr HResult D3DERR_INVALIDVERTEXFORMAT = HResult(0x887602EAU);
inline constexpr HResult D3DERR_COLORKEYATTACHED = HResult(0x887602EBU);
inline constexpr HResult D3DERR_CONFLICTINGTEXTUREFILTER = HResult(0x887602ECU);
inline constexpr HResult D3DERR_CONFLICTINGTEXTUREPALETTE = HResult(0x887602EDU);
inline constexpr HResult D3DERR_CONFLICTINGRENDERSTATE = HResult(0x887602EEU);
inline constexpr HResult D3DERR_INBEGINSTATEBLOCK = HResult(0x887602EFU);
inline constexpr HResult D3DERR_INVALIDMATRIX = HResult(0x887602F0U);
inline constexpr HResult D3DERR_INVALIDSTATEBLOCK = HResult(0x887602F1U);
inline constexpr HResult D3DERR_NOTINBEGINSTATEBLOCK = HResult(0x887602F2U);
inline constexpr HResult D3DERR_STENCILBUFFER_NOTPRESENT = HResult(0x887602F3U);
inline constexpr HResult D3DERR_TOOMANYOPERATIONS = HResult(0x887602F4U);
inline constexpr HResult D3DERR_TOOMANYPRIMITIVES = HResult(0x887602F5U);
inline constexpr HResult D3DERR_UNSUPPORTEDALPHAARG = HResult(0x887602F6U);
inline constexpr HResult D3DERR_UNSUPPORTEDALPHAOPERATION = HResult(0x887602F7U);
inline constexpr HResult D3DERR_UNSUPPORTEDCOLORARG = HResult(0x887602F8U);
inline constexpr HResult D3DERR_UNSUPPORTEDCOLOROPERATION = HResult(0x887602F9U);
inline constexpr HResult D3DERR_UNSUPPORTEDFACTORVALUE = HResult(0x887602FAU);
inline constexpr HResult D3DERR_UNSUPPORTEDTEXTUREFILTER = HResult(0x887602FBU);
inline constexpr HResult D3DERR_VBUF_CREATE_FAILED = HResult(0x887602FCU);
inline constexpr HResult D3DERR_VERTEXBUFFERLOCKED = HResult(0x887602FDU);
inline constexpr HResult D3DERR_VERTEXBUFFEROPTIMIZED = HResult(0x887602FEU);
inline constexpr HResult D3DERR_VERTEXBUFFERUNLOCKFAILED = HResult(0x887602FFU);
inline constexpr HResult D3DERR_WRONGTEXTUREFORMAT = HResult(0x88760300U);
inline constexpr HResult D3DERR_ZBUFFER_NOTPRESENT = HResult(0x88760301U);

// DirectSound.
inline constexpr HResult DSERR_ALLOCATED = HResult(0x88780001U);
inline constexpr HResult DSERR_ALREADYINITIALIZED = HResult(0x88780002U);
inline constexpr HResult DSERR_BADFORMAT = HResult(0x88780003U);
inline constexpr HResult DSERR_BUFFERLOST = HResult(0x88780004U);
inline constexpr HResult DSERR_CONTROLUNAVAIL = HResult(0x88780005U);
inline constexpr HResult DSERR_INVALIDCALL = HResult(0x88780006U);
inline constexpr HResult DSERR_NODRIVER = HResult(0x88780007U);
inline constexpr HResult DSERR_OTHERAPPHASPRIO = HResult(0x88780008U);
inline constexpr HResult DSERR_PRIOLEVELNEEDED = HResult(0x88780009U);
inline constexpr HResult DSERR_UNINITIALIZED = HResult(0x8878000AU);

} // namespace Platform
