; Quillarix colour scheme
; Sepia tones of an old manuscript.
[Scheme]
Name=Brown
Version=1

[Colours]
Page=F0E0C0
Text=402000
SceneHeading=602000
Character=403020
Parenthetical=806040
Transition=806040
Selection=C0A080
SpellingError=A00000
Margin=C0A080
