/* Writes the small ICC profiles the colour fixtures carry, with lcms2:
 *   swap-red-green.icc  RGB, red and green colorants of sRGB swapped, sRGB curves
 *   display-p3.icc      RGB, Display P3 primaries (D65), sRGB curves
 *   gray-linear.icc     gray, linear (gamma 1.0) curve
 *   cmyk-swap-cm.icc    CMYK to Lab table: the plain CMYK formula with cyan and
 *                       magenta swapped, so red ink comes out green
 *   cmyk-postscript.icc CMYK to XYZ table of 5 x 5 x 5 x 5 points: PostScript's
 *                       formula (red = 1 - min(1, cyan + black), ...) in the
 *                       linear light of ProPhoto's primaries, so that many inks
 *                       lie far outside sRGB: the layout of Ghostscript's
 *                       ps_cmyk.icc and the same trouble for 8-bit tables
 * Built and run by make-fixtures:  cc make-profiles.c -llcms2 -o make-profiles */
#include <lcms2.h>
#include <stdio.h>
#include <stdlib.h>

static void describe(cmsHPROFILE profile, const char* text)
{
    cmsMLU* mlu = cmsMLUalloc(NULL, 1);
    cmsMLUsetASCII(mlu, "en", "US", text);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, mlu);
    cmsMLUsetASCII(mlu, "en", "US", "No copyright, use freely");
    cmsWriteTag(profile, cmsSigCopyrightTag, mlu);
    cmsMLUfree(mlu);
}

static void save(cmsHPROFILE profile, const char* name, const char* text)
{
    describe(profile, text);
    cmsMD5computeID(profile);
    if (!cmsSaveProfileToFile(profile, name)) {
        fprintf(stderr, "cannot write %s\n", name);
        exit(1);
    }
    cmsCloseProfile(profile);
}

static cmsToneCurve* srgbCurve(void)
{
    const cmsFloat64Number p[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(NULL, 4, p);
}

static void rgbProfile(const char* name, const char* text, cmsCIExyYTRIPLE primaries)
{
    cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
    cmsToneCurve* curve = srgbCurve();
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
    save(profile, name, text);
}

static cmsHTRANSFORM srgbToLab;

/* Device CMYK (ink amounts, 0 = none) to Lab through the plain formula. */
static int sampleCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    (void)cargo;
    const double c = in[1] / 65535.0, m = in[0] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    const double rgb[3] = {(1 - c) * (1 - k), (1 - m) * (1 - k), (1 - y) * (1 - k)};
    cmsCIELab lab;
    cmsDoTransform(srgbToLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return 1;
}

/* A CMYK output profile whose A2B0 table is a 5-point grid sampled by
 * `sample`, between identity curves: the layout a v4 table tag stores. */
static void saveCmykTable(const char* name, const char* text, double version, cmsColorSpaceSignature pcs,
                          cmsSAMPLER16 sample)
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(NULL);
    cmsSetProfileVersion(profile, version);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, pcs);
    cmsPipeline* pipeline = cmsPipelineAlloc(NULL, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(NULL, 5, 4, 3, NULL);
    cmsStageSampleCLut16bit(table, sample, NULL, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocToneCurves(NULL, 4, NULL));
    cmsPipelineInsertStage(pipeline, cmsAT_END, table);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(NULL, 3, NULL));
    cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(pipeline);
    save(profile, name, text);
}

static void cmykProfile(const char* name, const char* text)
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(NULL);
    srgbToLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);

    saveCmykTable(name, text, 4.3, cmsSigLabData, sampleCmyk);

    cmsDeleteTransform(srgbToLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
}

static cmsHTRANSFORM wideToXyz;

/* PostScript's own CMYK to RGB, read as linear ProPhoto, to XYZ. */
static int samplePostScript(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    (void)cargo;
    const double k = in[3] / 65535.0;
    double rgb[3];
    for (int i = 0; i < 3; ++i) {
        const double ink = in[i] / 65535.0 + k;
        rgb[i] = 1 - (ink < 1 ? ink : 1);
    }
    cmsCIEXYZ xyz;
    cmsDoTransform(wideToXyz, rgb, &xyz, 1);
    cmsFloat2XYZEncoded(out, &xyz);
    return 1;
}

static void postScriptProfile(const char* name, const char* text)
{
    const cmsCIExyYTRIPLE proPhoto = {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}};
    cmsToneCurve* linear = cmsBuildGamma(NULL, 1.0);
    cmsToneCurve* curves[3] = {linear, linear, linear};
    cmsHPROFILE wide = cmsCreateRGBProfile(cmsD50_xyY(), &proPhoto, curves);
    cmsFreeToneCurve(linear);
    cmsHPROFILE xyz = cmsCreateXYZProfile();
    wideToXyz = cmsCreateTransform(wide, TYPE_RGB_DBL, xyz, TYPE_XYZ_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);

    saveCmykTable(name, text, 4.2, cmsSigXYZData, samplePostScript);

    cmsDeleteTransform(wideToXyz);
    cmsCloseProfile(xyz);
    cmsCloseProfile(wide);
}

int main(void)
{
    const cmsCIExyYTRIPLE swapped = {{0.30, 0.60, 1.0}, {0.64, 0.33, 1.0}, {0.15, 0.06, 1.0}};
    rgbProfile("swap-red-green.icc", "Red and green swapped", swapped);
    const cmsCIExyYTRIPLE p3 = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
    rgbProfile("display-p3.icc", "Display P3", p3);

    cmsToneCurve* linear = cmsBuildGamma(NULL, 1.0);
    save(cmsCreateGrayProfile(cmsD50_xyY(), linear), "gray-linear.icc", "Linear gray");
    cmsFreeToneCurve(linear);

    cmykProfile("cmyk-swap-cm.icc", "CMYK with cyan and magenta swapped");
    postScriptProfile("cmyk-postscript.icc", "PostScript CMYK");
    return 0;
}
