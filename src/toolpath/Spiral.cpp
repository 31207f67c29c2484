#include "toolpath/Emitters.h"
#include "toolpath/Strategies.h"

namespace {

// What the last written leg moved along; two legs in a row on one axis mean the spiral has closed.
enum TSpiralAxis { saDone = 0, saY = 1, saX = 2, saStart = 5 };

void EdgeClean(const TFacingJob& job, TGCodeFile& list) {
  const double R = job.Radius, C = job.Cross, X = job.XPos, Y = job.YPos, Z = job.CutZ;
  const auto plunge = [&] { AddMoveFZ(list, 1, job.Fro, Z); };

  AddRetract(job, list);
  AddMoveXY(list, 0, R * 3 - C, R);  // where the first turn's leftward leg ended
  plunge();
  if (Y > X) {
    AddMoveXY(list, 1, X / 2, X / 2 - R * 2);
    AddMoveX(list, 1, X / 2 + R * 2);
    AddMoveXY(list, 1, X - R, R);
    AddRetract(job, list);
    AddMoveY(list, 0, Y - R);
    plunge();
    AddMoveXY(list, 1, X / 2, Y - X / 2);
    AddMoveXY(list, 1, R, Y - R);
  } else {
    AddMoveXY(list, 1, Y / 2, Y / 2 - R * 2);
    AddMoveY(list, 1, Y / 2);
    AddMoveXY(list, 1, R, Y - R);
    AddRetract(job, list);
    AddMoveX(list, 0, X - R);
    plunge();
    AddMoveXY(list, 1, X - Y / 2, Y / 2);
    AddMoveXY(list, 1, X - R, R);
  }
}

}  // namespace

void DoSpiral(const TFacingJob& job, TGCodeFile& list) {
  const double R = job.Radius, C = job.Cross;
  double yHi = job.YPos - R;
  double xHi = job.XPos - R;
  double yLo = R;
  double xLo = (R * 2 + R) - C;  // the first upward leg has already cut the column at X = R
  int lastAxis = saStart;

  // The up and right tests are strict, the down and left ones are not: with equal bounds the down (or
  // left) leg is still written, a move of length zero.
  while (lastAxis > saDone) {
    if (yHi > yLo) {
      AddMoveY(list, 1, yHi);
      if (lastAxis == saY) break;
      lastAxis = saY;
    }
    if (xHi > xLo) {
      AddMoveX(list, 1, xHi);
      if (lastAxis == saX) break;
      lastAxis = saX;
    }
    if (yLo <= yHi) {
      AddMoveY(list, 1, yLo);
      if (lastAxis == saY) break;
      lastAxis = saY;
    }
    if (xLo <= xHi) {
      AddMoveX(list, 1, xLo);
      if (lastAxis == saX) break;
      lastAxis = saX;
    }
    yHi = (yHi - R * 2) + C;
    xHi = (xHi - R * 2) + C;
    yLo = (R * 2 + yLo) - C;
    xLo = (R * 2 + xLo) - C;
    if (yHi < yLo) yHi = yLo;
    if (xHi < xLo) xHi = xLo;
    if (xLo >= xHi && yLo >= yHi) lastAxis = saDone;
  }

  if (job.ClearEnd) EdgeClean(job, list);
}
